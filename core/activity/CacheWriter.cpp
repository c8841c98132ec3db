#include "activity/CacheWriter.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

#include "model/JsonFields.h"

namespace ostrel {
namespace {

/// Every whole number up to this size is exact in a double, and is written as an integer.
constexpr double exactIntegerLimit = 9007199254740992.0;  // 2^53

[[nodiscard]] Json::Error notFinite(std::string_view key)
{
    return Json::Error{std::string(key), "Cannot write a number that is not finite."};
}

template <class Integer>
void appendInteger(std::string& out, Integer value)
{
    std::array<char, 24> text{};
    const auto written = std::to_chars(text.data(), text.data() + text.size(), value);
    out.append(text.data(), static_cast<std::size_t>(written.ptr - text.data()));
}

/// A double as our files write numbers: whole values a double holds exactly as
/// integers, anything else in the shortest form the JSON library writes.
[[nodiscard]] bool appendNumber(std::string& out, double value)
{
    if (!std::isfinite(value)) {
        return false;
    }
    if (std::trunc(value) == value && std::abs(value) <= exactIntegerLimit) {
        appendInteger(out, static_cast<std::int64_t>(value));
        return true;
    }
    // The library's own conversion, so that the text is the one its writer
    // would give (its shortest digits are not always those of std::to_chars).
    std::array<char, 64> text{};
    const char* end = nlohmann::detail::to_chars(text.data(), text.data() + text.size(), value);
    out.append(text.data(), static_cast<std::size_t>(end - text.data()));
    return true;
}

/// Whether rounding `exact` to `digits` significant digits surely gives a
/// number farther from it than `reach`, judged from a product or quotient
/// with an exact power of ten (off by at most half an ulp) and the exponent
/// `power` of its first digit.
[[nodiscard]] bool surelyFarther(double exact, int power, int digits, double reach)
{
    static constexpr auto powers = [] {
        std::array<double, 23> table{};
        double value = 1;
        for (double& entry : table) {
            entry = value;
            value *= 10;
        }
        return table;
    }();
    const int unitPower = power - digits + 1;  // the rounding unit is 10^unitPower
    const double unit = unitPower >= 0 ? powers.at(static_cast<std::size_t>(unitPower))
                                       : 1 / powers.at(static_cast<std::size_t>(-unitPower));
    const double scaled = unitPower >= 0 ? exact / powers.at(static_cast<std::size_t>(unitPower))
                                         : exact * powers.at(static_cast<std::size_t>(-unitPower));
    const double slack = std::abs(scaled) * 0x1p-52 + 0x1p-40;
    const double distance = std::abs(scaled - std::nearbyint(scaled)) - slack;
    return distance > 0 && distance * unit * (1 - 0x1p-40) > reach;
}

/// A date as our files write it: the fewest significant digits of its seconds
/// since 2001 that read back as the same date (as Json::encode(Date) finds
/// them), with the digit counts that surely cannot work passed over unread:
/// trying each one through text costs most of a cache's encoding.
[[nodiscard]] bool appendDate(std::string& out, Date date)
{
    const double exact = secondsSinceReference(date);
    const double magnitude = std::abs(exact);
    if (!std::isfinite(exact) || magnitude < 1 || magnitude >= 1e15) {
        const Json::Value number = Json::encode(date);
        if (number.is_number_integer()) {
            appendInteger(out, number.get<std::int64_t>());
            return true;
        }
        return appendNumber(out, number.get<double>());
    }
    int power = static_cast<int>(std::floor(std::log10(magnitude)));
    power += std::pow(10.0, power + 1) <= magnitude ? 1 : std::pow(10.0, power) > magnitude ? -1 : 0;
    // A candidate reads back as the date only within about an ulp of the date
    // and of `exact` of it; four of each leave room for every rounding on the way.
    const double since1970 = secondsSince1970(date);
    const double reach = 4 * (std::nextafter(std::abs(since1970), INFINITY) - std::abs(since1970))
                         + 4 * (std::nextafter(magnitude, INFINITY) - magnitude);
    constexpr int mostDigits = std::numeric_limits<double>::max_digits10;
    std::array<char, 32> text{};
    for (int digits = 1; digits < mostDigits; ++digits) {
        if (surelyFarther(exact, power, digits, reach)) {
            continue;
        }
        const auto written =
            std::to_chars(text.data(), text.data() + text.size(), exact, std::chars_format::general, digits);
        double candidate = 0;
        const auto read = std::from_chars(text.data(), written.ptr, candidate);
        if (written.ec == std::errc() && read.ec == std::errc() && dateFromReference(candidate) == date) {
            return appendNumber(out, candidate);
        }
    }
    return appendNumber(out, exact);
}

/// A JSON string. Plain printable ASCII is copied as it is; anything else
/// (escapes, UTF-8, bytes that are not UTF-8 and become U+FFFD) goes through
/// the library's writer, whose rules it must match exactly.
void appendString(std::string& out, std::string_view text)
{
    for (const char c : text) {
        if (c < 0x20 || c > 0x7E || c == '"' || c == '\\') {
            out += Json::Value(std::string(text)).dump(-1, ' ', false, Json::Value::error_handler_t::replace);
            return;
        }
    }
    out += '"';
    out += text;
    out += '"';
}

void appendCounts(std::string& out, const TokenCounts& counts)
{
    out += R"({"cached":)";
    appendInteger(out, counts.cached);
    out += R"(,"input":)";
    appendInteger(out, counts.input);
    out += R"(,"output":)";
    appendInteger(out, counts.output);
    out += '}';
}

[[nodiscard]] bool appendAllowance(std::string& out, const std::vector<AllowancePoint>& points)
{
    out += '[';
    for (const AllowancePoint& point : points) {
        out += out.back() == '[' ? R"({"date":)" : R"(,{"date":)";
        if (!appendDate(out, point.date)) {
            return false;
        }
        out += R"(,"usedPercent":)";
        if (!appendNumber(out, point.usedPercent)) {
            return false;
        }
        if (point.resetsAt) {
            out += R"(,"resetsAt":)";
            if (!appendDate(out, *point.resetsAt)) {
                return false;
            }
        }
        out += '}';
    }
    out += ']';
    return true;
}

}  // namespace

void CacheWriter::forget(const std::string& key)
{
    m_texts.erase(key);
}

Json::Result<std::string> CacheWriter::encode(const FileState& file)
{
    std::string out = R"({"offset":)";
    appendInteger(out, file.offset);
    out += R"(,"size":)";
    appendInteger(out, file.size);
    out += R"(,"modified":)";
    if (!appendDate(out, file.modified)) {
        return std::unexpected(notFinite("modified"));
    }
    out += R"(,"tokens":{"buckets":[)";
    for (const auto& [key, counts] : file.tokens.buckets) {
        if (out.back() != '[') {
            out += ',';
        }
        appendInteger(out, key);
        out += ',';
        appendCounts(out, counts);
    }
    out += R"(]},"allowance":)";
    if (!appendAllowance(out, file.allowance)) {
        return std::unexpected(notFinite("allowance"));
    }
    if (file.lastKey) {
        out += R"(,"lastKey":)";
        appendString(out, *file.lastKey);
    }
    if (file.lastCounts) {
        out += R"(,"lastCounts":)";
        appendCounts(out, *file.lastCounts);
    }
    out += '}';
    return out;
}

Json::Result<std::string> CacheWriter::encode(int version, const std::map<std::string, FileState>& files)
{
    std::string out = R"({"version":)";
    appendInteger(out, version);
    out += R"(,"files":{)";
    // Texts are taken over for the files still there; those of files gone are dropped.
    std::map<std::string, std::string, std::less<>> kept;
    for (const auto& [key, file] : files) {
        auto node = m_texts.extract(key);
        std::string text;
        if (node.empty()) {
            auto made = encode(file);
            if (!made) {
                return std::unexpected(Json::Fields::under(std::move(made.error()), key));
            }
            text = std::move(*made);
        } else {
            text = std::move(node.mapped());
        }
        if (out.back() != '{') {
            out += ',';
        }
        appendString(out, key);
        out += ':';
        out += text;
        kept.emplace_hint(kept.end(), key, std::move(text));
    }
    out += "}}";
    m_texts = std::move(kept);
    return out;
}

}  // namespace ostrel
