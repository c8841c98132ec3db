#pragma once
// Fuzz targets for what the Codex side hands us: the app-server's replies, the
// results they carry and the session-log lines.

#include <string_view>

#include <nlohmann/json.hpp>

#include "Support.h"
#include "activity/CodexLine.h"
#include "activity/FileState.h"
#include "model/JsonReading.h"
#include "model/JsonText.h"
#include "readers/CodexAppServer.h"
#include "readers/CodexUsageParser.h"

namespace ostrel::fuzz {

[[nodiscard]] inline const nlohmann::json* resultOf(const std::map<std::int64_t, CodexAppServer::Response>& replies,
                                                    std::int64_t id)
{
    const auto found = replies.find(id);
    return found != replies.end() && found->second.result ? &*found->second.result : nullptr;
}

/// The server's standard output, read as the fetcher reads it.
[[nodiscard]] inline bool codexAppServer(std::string_view bytes)
{
    const auto replies = CodexAppServer::responses(bytes);
    const bool complete = replies.contains(CodexAppServer::accountId) && replies.contains(CodexAppServer::rateLimitsId)
                          && replies.contains(CodexAppServer::accountUsageId);
    // The early stop reads complete lines only, as they arrive: fed in two
    // pieces it must agree with itself fed at once, and it may only stop when
    // the replies are really all there.
    CodexAppServer::ReplyWatch atOnce;
    const bool stops = atOnce(bytes);
    CodexAppServer::ReplyWatch inPieces;
    (void)inPieces(bytes.substr(0, bytes.size() / 2));
    if (inPieces(bytes) != stops || (stops && !complete)) {
        return false;
    }
    const auto limits = replies.find(CodexAppServer::rateLimitsId);
    if (limits == replies.end()) {
        return true;
    }
    auto reading = CodexUsageParser::parse(resultOf(replies, CodexAppServer::accountId),
                                           resultOf(replies, CodexAppServer::rateLimitsId),
                                           limits->second.error,
                                           now);
    if (reading) {
        reading->accountUsage =
            CodexUsageParser::parseAccountTokenUsage(resultOf(replies, CodexAppServer::accountUsageId));
    }
    return survivesReadingsFile(Provider::openai, reading);
}

/// One JSON document in every role at once: the account, rate-limit and usage
/// results use different keys, so a seed may hold any of them; an "error"
/// string stands for the rate-limit request's error reply.
[[nodiscard]] inline bool codexUsage(std::string_view bytes)
{
    (void)CodexUsageParser::looksSignedOut(bytes);
    const auto document = JsonText::parse(bytes);
    if (document.is_discarded()) {
        return true;
    }
    const auto error = JsonReading::string(JsonReading::member(&document, "error"));
    auto reading = CodexUsageParser::parse(&document, &document, error, now);
    if (reading) {
        reading->accountUsage = CodexUsageParser::parseAccountTokenUsage(&document);
    }
    (void)CodexUsageParser::window(&document);
    (void)CodexUsageParser::verifiedResetCredits(&document);
    return survivesReadingsFile(Provider::openai, reading);
}

/// The fields of a Codex line read from the whole parsed document: what the
/// one-pass reader must find in every input.
[[nodiscard]] inline std::optional<CodexLine::Fields> codexFieldsOfDocument(std::string_view line)
{
    // No nesting limit: the one-pass reader has none either.
    const auto document = nlohmann::json::parse(line, nullptr, false);
    if (document.is_discarded() || !document.is_object()) {
        return std::nullopt;
    }
    using JsonReading::member;
    using JsonReading::number;
    const auto usage = [](const nlohmann::json* object) {
        return CodexLine::Usage{JsonReading::object(object) != nullptr,
                                number(member(object, "input_tokens")),
                                number(member(object, "cached_input_tokens")),
                                number(member(object, "output_tokens")),
                                number(member(object, "total_tokens"))};
    };
    const auto window = [](const nlohmann::json* object) {
        return CodexLine::Window{JsonReading::object(object) != nullptr,
                                 number(member(object, "window_minutes")),
                                 number(member(object, "used_percent")),
                                 number(member(object, "resets_at")),
                                 number(member(object, "resets_in_seconds"))};
    };
    const nlohmann::json* payload = member(&document, "payload");
    const nlohmann::json* info = member(payload, "info");
    const nlohmann::json* limits = member(payload, "rate_limits");
    return CodexLine::Fields{JsonReading::string(member(&document, "timestamp")),
                             JsonReading::object(payload) != nullptr,
                             JsonReading::object(info) != nullptr,
                             usage(member(info, "total_token_usage")),
                             usage(member(info, "last_token_usage")),
                             JsonReading::object(limits) != nullptr,
                             JsonReading::string(member(limits, "limit_id")),
                             window(member(limits, "primary")),
                             window(member(limits, "secondary"))};
}

/// Every line as the scanner ingests it, and the whole input as one line,
/// whose fields must be those of the parsed document.
[[nodiscard]] inline bool codexLogLines(std::string_view bytes)
{
    if (CodexLine::read(bytes) != codexFieldsOfDocument(bytes)) {
        return false;
    }
    FileState file;
    const auto consumed = file.consume(bytes, Provider::openai);
    return consumed <= bytes.size() && file.offset == consumed && survivesActivityCache(file);
}

}  // namespace ostrel::fuzz
