#include "activity/CacheReader.h"

#include <cmath>
#include <limits>
#include <optional>
#include <utility>

#include "activity/JsonCursor.h"
#include "model/JsonText.h"

namespace ostrel::CacheReader {
namespace {

using ActivityCache::State;

/// How reading one value went: read and of the shape wanted, read but of
/// another shape (the document is unusable, but the text goes on), or the text
/// is not JSON.
enum class Read
{
    ok,
    mistyped,
    broken
};

/// A member's last appearance in its object.
template <class T>
struct Member
{
    bool seen = false;
    bool fits = false;
    bool null = false;  ///< null, which an optional member may be
    T value{};

    [[nodiscard]] bool required() const
    {
        return seen && fits && !null;
    }

    [[nodiscard]] bool optional() const
    {
        return !seen || fits;
    }

    /// The value of an optional member that is there and not null.
    [[nodiscard]] std::optional<T> present() const
    {
        return seen && !null ? std::optional<T>(value) : std::nullopt;
    }
};

class Reader
{
public:
    explicit Reader(std::string_view text)
        : m_cursor(text, JsonText::deepestNesting)
    {}

    [[nodiscard]] Json::Result<State> read()
    {
        Member<std::int64_t> version;
        Member<std::map<std::string, FileState>> files;
        const bool whole = m_cursor.peek() == '{' && m_cursor.object([&](std::string_view key) {
            if (key == "version") {
                return take(version, false, [this](std::int64_t& out) { return integer(out); });
            }
            if (key == "files") {
                return take(files, false, [this](std::map<std::string, FileState>& out) { return this->files(out); });
            }
            return m_cursor.skip();
        });
        if (!whole || !m_cursor.finished()) {
            return std::unexpected(Json::Error{{}, "The data is not valid JSON."});
        }
        if (!version.required() || !files.required() || version.value < std::numeric_limits<int>::min()
            || version.value > std::numeric_limits<int>::max()) {
            return std::unexpected(Json::Error{{}, "The data is not an activity cache."});
        }
        return State{static_cast<int>(version.value), std::move(files.value)};
    }

private:
    /// Reads one appearance of a member into `member` (null counts as absent
    /// when `nullable`); false only when the text is broken.
    template <class T, class Reading>
    [[nodiscard]] bool take(Member<T>& member, bool nullable, Reading reading)
    {
        member = Member<T>{};
        member.seen = true;
        if (nullable && m_cursor.peek() == 'n') {
            member.fits = member.null = m_cursor.literal().has_value();
            return member.fits;
        }
        const Read read = reading(member.value);
        member.fits = read == Read::ok;
        return read != Read::broken;
    }

    /// A value of another type than wanted, passed over.
    [[nodiscard]] Read other()
    {
        return m_cursor.skip() ? Read::mistyped : Read::broken;
    }

    [[nodiscard]] bool atNumber()
    {
        const char next = m_cursor.peek();
        return next == '-' || (next >= '0' && next <= '9');
    }

    /// An integer as the strict reading takes it: a whole number within 64
    /// signed bits, also when written with a fraction part or an exponent.
    [[nodiscard]] Read integer(std::int64_t& out)
    {
        if (!atNumber()) {
            return other();
        }
        const auto number = m_cursor.number();
        if (!number) {
            return Read::broken;
        }
        constexpr std::uint64_t largest = std::numeric_limits<std::int64_t>::max();
        constexpr double limit = 9223372036854775808.0;  // 2^63
        switch (number->kind) {
        case JsonCursor::Number::Kind::unsignedInteger:
            out = static_cast<std::int64_t>(number->magnitude);
            return number->magnitude <= largest ? Read::ok : Read::mistyped;
        case JsonCursor::Number::Kind::negativeInteger:
            // Negated in unsigned arithmetic, so that -2^63 needs no larger type.
            out = static_cast<std::int64_t>(0 - number->magnitude);
            return Read::ok;
        case JsonCursor::Number::Kind::fraction:
            break;
        }
        const double value = number->value;
        if (std::trunc(value) != value || value >= limit || value < -limit) {
            return Read::mistyped;
        }
        out = static_cast<std::int64_t>(value);
        return Read::ok;
    }

    [[nodiscard]] Read count(std::uint64_t& out)
    {
        std::int64_t value = 0;
        const Read read = integer(value);
        out = static_cast<std::uint64_t>(value);
        return read == Read::ok && value < 0 ? Read::mistyped : read;
    }

    [[nodiscard]] Read number(double& out)
    {
        if (!atNumber()) {
            return other();
        }
        const auto number = m_cursor.number();
        out = number ? number->value : 0;
        return number ? Read::ok : Read::broken;
    }

    [[nodiscard]] Read date(Date& out)
    {
        double seconds = 0;
        const Read read = number(seconds);
        out = dateFromReference(seconds);
        return read;
    }

    [[nodiscard]] Read string(std::string& out)
    {
        if (m_cursor.peek() != '"') {
            return other();
        }
        const auto text = m_cursor.string(m_scratch);
        if (!text) {
            return Read::broken;
        }
        out.assign(*text);
        return Read::ok;
    }

    [[nodiscard]] Read counts(TokenCounts& out);
    [[nodiscard]] Read tokens(TokenSeries& out);
    [[nodiscard]] Read point(AllowancePoint& out);
    [[nodiscard]] Read allowance(std::vector<AllowancePoint>& out);
    [[nodiscard]] Read file(FileState& out);
    [[nodiscard]] Read files(std::map<std::string, FileState>& out);

    /// An object read member by member; what `member` does not know is passed over.
    template <class Members>
    [[nodiscard]] Read fields(Members member)
    {
        if (m_cursor.peek() != '{') {
            return other();
        }
        return m_cursor.object(member) ? Read::ok : Read::broken;
    }

    JsonCursor m_cursor;
    std::string m_scratch;
};

Read Reader::counts(TokenCounts& out)
{
    Member<std::int64_t> cached;
    Member<std::int64_t> input;
    Member<std::int64_t> output;
    const auto integerOf = [this](std::int64_t& value) {
        return integer(value);
    };
    const Read read = fields([&](std::string_view key) {
        if (key == "cached") {
            return take(cached, false, integerOf);
        }
        if (key == "input") {
            return take(input, false, integerOf);
        }
        if (key == "output") {
            return take(output, false, integerOf);
        }
        return m_cursor.skip();
    });
    if (read != Read::ok) {
        return read;
    }
    out = {cached.value, input.value, output.value};
    return cached.required() && input.required() && output.required() ? Read::ok : Read::mistyped;
}

Read Reader::tokens(TokenSeries& out)
{
    // Buckets are keyed by integers, so they are written as an array alternating keys and counts.
    Member<std::map<std::int64_t, TokenCounts>> buckets;
    const auto pairs = [this](std::map<std::int64_t, TokenCounts>& map) {
        if (m_cursor.peek() != '[') {
            return other();
        }
        bool fits = true;
        std::size_t index = 0;
        std::int64_t key = 0;
        const bool whole = m_cursor.array([&] {
            TokenCounts value;
            const Read read = index++ % 2 == 0 ? integer(key) : counts(value);
            fits = fits && read == Read::ok;
            if (fits && index % 2 == 0) {
                const std::size_t before = map.size();
                map.emplace_hint(map.end(), key, value);
                fits = map.size() != before;  // a key given twice
            }
            return read != Read::broken;
        });
        return !whole ? Read::broken : fits && index % 2 == 0 ? Read::ok : Read::mistyped;
    };
    const Read read =
        fields([&](std::string_view key) { return key == "buckets" ? take(buckets, false, pairs) : m_cursor.skip(); });
    out.buckets = std::move(buckets.value);
    return read == Read::ok && !buckets.required() ? Read::mistyped : read;
}

Read Reader::point(AllowancePoint& out)
{
    Member<Date> date;
    Member<double> usedPercent;
    Member<Date> resetsAt;
    const Read read = fields([&](std::string_view key) {
        if (key == "date") {
            return take(date, false, [this](Date& value) { return this->date(value); });
        }
        if (key == "usedPercent") {
            return take(usedPercent, false, [this](double& value) { return number(value); });
        }
        if (key == "resetsAt") {
            return take(resetsAt, true, [this](Date& value) { return this->date(value); });
        }
        return m_cursor.skip();
    });
    const bool fits = date.required() && usedPercent.required() && resetsAt.optional();
    out = {date.value, usedPercent.value, resetsAt.present()};
    return read == Read::ok && !fits ? Read::mistyped : read;
}

Read Reader::allowance(std::vector<AllowancePoint>& out)
{
    if (m_cursor.peek() != '[') {
        return other();
    }
    bool fits = true;
    const bool whole = m_cursor.array([&] {
        AllowancePoint value;
        const Read read = point(value);
        fits = fits && read == Read::ok;
        out.push_back(value);
        return read != Read::broken;
    });
    return !whole ? Read::broken : fits ? Read::ok : Read::mistyped;
}

Read Reader::file(FileState& out)
{
    Member<std::uint64_t> offset;
    Member<std::uint64_t> size;
    Member<Date> modified;
    Member<TokenSeries> tokens;
    Member<std::vector<AllowancePoint>> allowance;
    Member<std::string> lastKey;
    Member<TokenCounts> lastCounts;
    const auto countOf = [this](std::uint64_t& value) {
        return count(value);
    };
    const Read read = fields([&](std::string_view key) {
        if (key == "offset") {
            return take(offset, false, countOf);
        }
        if (key == "size") {
            return take(size, false, countOf);
        }
        if (key == "modified") {
            return take(modified, false, [this](Date& value) { return date(value); });
        }
        if (key == "tokens") {
            return take(tokens, false, [this](TokenSeries& value) { return this->tokens(value); });
        }
        if (key == "allowance") {
            return take(allowance, false, [this](std::vector<AllowancePoint>& value) {
                return this->allowance(value);
            });
        }
        if (key == "lastKey") {
            return take(lastKey, true, [this](std::string& value) { return string(value); });
        }
        if (key == "lastCounts") {
            return take(lastCounts, true, [this](TokenCounts& value) { return counts(value); });
        }
        return m_cursor.skip();
    });
    const bool fits = offset.required() && size.required() && modified.required() && tokens.required()
                      && allowance.required() && lastKey.optional() && lastCounts.optional();
    out = FileState{offset.value,
                    size.value,
                    modified.value,
                    std::move(tokens.value),
                    std::move(allowance.value),
                    lastKey.present(),
                    lastCounts.present()};
    return read == Read::ok && !fits ? Read::mistyped : read;
}

Read Reader::files(std::map<std::string, FileState>& out)
{
    // A log listed twice counts as its last entry, which may mend or spoil the first.
    std::map<std::string, std::optional<FileState>> entries;
    const Read read = fields([&](std::string_view key) {
        FileState state;
        const Read entry = file(state);
        auto& slot = entries[std::string(key)];
        slot = entry == Read::ok ? std::optional(std::move(state)) : std::nullopt;
        return entry != Read::broken;
    });
    if (read != Read::ok) {
        return read;
    }
    for (auto& [key, entry] : entries) {
        if (!entry) {
            return Read::mistyped;
        }
        out.emplace_hint(out.end(), key, std::move(*entry));
    }
    return Read::ok;
}

}  // namespace

Json::Result<State> read(std::string_view text)
{
    return Reader(text).read();
}

}  // namespace ostrel::CacheReader
