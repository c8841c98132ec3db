#pragma once
// The line protocol spoken with `codex app-server`: the fixed request batch,
// the reading of its replies from standard output, and the watch that says the
// replies the reading needs have all arrived. Pure; no process is run here.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace ostrel::CodexAppServer {

/// The request ids whose replies a reading uses.
inline constexpr std::int64_t accountId = 2;
inline constexpr std::int64_t rateLimitsId = 3;
inline constexpr std::int64_t accountUsageId = 4;

struct Response
{
    std::optional<nlohmann::json> result;  ///< the `result` member when it is an object
    std::optional<std::string> error;      ///< the message of an `error` object

    bool operator==(const Response&) const = default;
};

/// The five requests (initialize, initialized, account, rate limits, account
/// usage), one compact JSON object per line, each ended by a line feed.
[[nodiscard]] const std::string& requests();

/// The replies in the server's standard output, by numeric id. Lines that are
/// not JSON objects, notifications and replies whose id is not a whole number
/// are skipped; a later reply replaces an earlier one with the same id.
[[nodiscard]] std::map<std::int64_t, Response> responses(std::string_view output);

/// Watches the server's standard output as it grows and says when the replies
/// to the account, rate-limit and account-usage requests are all in. Each line
/// is read once, when its line feed has come, so a long run of notifications
/// costs time in proportion to its length. One watch serves one run.
class ReplyWatch
{
public:
    /// `output` is the whole standard output so far: what was seen before, and more.
    [[nodiscard]] bool operator()(std::string_view output);

private:
    std::size_t m_read = 0;  ///< the bytes of `output` up to the last line feed seen
    bool m_account = false;
    bool m_rateLimits = false;
    bool m_accountUsage = false;
};

}  // namespace ostrel::CodexAppServer
