#include "readers/CodexAppServer.h"

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "model/JsonText.h"
#include "readers/Utf8.h"

namespace ostrel::CodexAppServer {
namespace {

using nlohmann::json;

constexpr std::string_view fallbackErrorText = "Codex returned an error";

[[nodiscard]] std::string line(const json& request)
{
    // Replacing rather than throwing keeps a line that cannot be written empty.
    return request.dump(-1, ' ', false, json::error_handler_t::replace) + '\n';
}

[[nodiscard]] std::string buildRequests()
{
    const std::vector<json> batch = {
        {{"id", 1},
         {"method", "initialize"},
         {"params", {{"clientInfo", {{"name", "ostrel"}, {"title", "Ostrel"}, {"version", "1.0"}}}}}},
        {{"method", "initialized"}},
        {{"id", accountId}, {"method", "account/read"}, {"params", {{"refreshToken", false}}}},
        {{"id", rateLimitsId},
         {"method", "account/rateLimits/read"},
         {"params", {{"excludeResetCreditDetails", false}}}},
        {{"id", accountUsageId}, {"method", "account/usage/read"}, {"params", json::object()}},
    };
    std::string bytes;
    for (const auto& request : batch) {
        bytes += line(request);
    }
    return bytes;
}

/// The id of a reply: a JSON number with a whole value that fits in 64 bits.
/// Strings, true and false, fractions and overflowing values are no id.
[[nodiscard]] std::optional<std::int64_t> replyId(const json& reply)
{
    const auto found = reply.find("id");
    if (found == reply.end()) {
        return std::nullopt;
    }
    const json& id = *found;
    if (id.is_number_unsigned()) {
        const auto value = id.get<std::uint64_t>();
        if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(value);
    }
    if (id.is_number_integer()) {
        return id.get<std::int64_t>();
    }
    if (id.is_number_float()) {
        const double value = id.get<double>();
        // 2^63 itself is out of range, so the upper test is strict.
        constexpr double limit = 9223372036854775808.0;
        if (std::isfinite(value) && std::trunc(value) == value && value >= -limit && value < limit) {
            return static_cast<std::int64_t>(value);
        }
    }
    return std::nullopt;
}

[[nodiscard]] Response response(const json& reply)
{
    Response parsed;
    if (const auto error = reply.find("error"); error != reply.end() && error->is_object()) {
        const auto message = error->find("message");
        parsed.error = message != error->end() && message->is_string() ? message->get<std::string>()
                                                                       : std::string(fallbackErrorText);
        return parsed;
    }
    if (const auto result = reply.find("result"); result != reply.end() && result->is_object()) {
        parsed.result = *result;
    }
    return parsed;
}

/// The reply on one line of output; absent for anything else.
[[nodiscard]] std::optional<std::pair<std::int64_t, Response>> replyOn(std::string_view text)
{
    if (text.empty()) {
        return std::nullopt;
    }
    // A stray invalid byte inside a message must not cost the whole reply.
    const json reply = JsonText::parse(decodeUtf8Lossy(text));
    if (!reply.is_object()) {
        return std::nullopt;
    }
    const auto id = replyId(reply);
    if (!id) {
        return std::nullopt;
    }
    return std::pair{*id, response(reply)};
}

}  // namespace

const std::string& requests()
{
    static const std::string batch = buildRequests();
    return batch;
}

std::map<std::int64_t, Response> responses(std::string_view output)
{
    std::map<std::int64_t, Response> replies;
    while (!output.empty()) {
        const auto end = output.find('\n');
        const std::string_view text = output.substr(0, end);
        output.remove_prefix(end == std::string_view::npos ? output.size() : end + 1);
        if (auto reply = replyOn(text)) {
            replies.insert_or_assign(reply->first, std::move(reply->second));
        }
    }
    return replies;
}

bool ReplyWatch::operator()(std::string_view output)
{
    if (output.size() < m_read) {
        *this = {};  // not the output watched so far: start again
    }
    // Only whole lines: the last one may still be arriving.
    for (auto end = output.find('\n', m_read); end != std::string_view::npos; end = output.find('\n', m_read)) {
        const auto reply = replyOn(output.substr(m_read, end - m_read));
        m_read = end + 1;
        if (reply) {
            m_account = m_account || reply->first == accountId;
            m_rateLimits = m_rateLimits || reply->first == rateLimitsId;
            m_accountUsage = m_accountUsage || reply->first == accountUsageId;
        }
    }
    return m_account && m_rateLimits && m_accountUsage;
}

}  // namespace ostrel::CodexAppServer
