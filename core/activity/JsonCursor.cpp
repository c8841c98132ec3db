#include "activity/JsonCursor.h"

namespace ostrel {
namespace {

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

[[nodiscard]] constexpr bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

[[nodiscard]] constexpr unsigned byteOf(char c)
{
    return static_cast<unsigned char>(c);
}

/// The value of one hexadecimal digit; above 15 for anything else.
[[nodiscard]] constexpr unsigned hexDigit(char c)
{
    if (isDigit(c)) {
        return byteOf(c) - '0';
    }
    const unsigned lower = byteOf(c) | 0x20U;
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : 16;
}

void appendUtf8(std::string& out, std::uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

JsonCursor::JsonCursor(std::string_view text, std::size_t deepest)
    : m_text(text)
    , m_deepest(deepest)
{
    if (m_text.starts_with(byteOrderMark)) {
        m_at = byteOrderMark.size();
    }
}

char JsonCursor::peek()
{
    while (!m_failed && m_at < m_text.size()) {
        const char c = m_text[m_at];
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t') {
            return c;
        }
        ++m_at;
    }
    return '\0';
}

bool JsonCursor::take(char c)
{
    if (peek() != c || m_failed || m_at >= m_text.size()) {
        return false;
    }
    ++m_at;
    return true;
}

bool JsonCursor::fail()
{
    m_failed = true;
    return false;
}

bool JsonCursor::enter(char bracket)
{
    if (!take(bracket) || m_depth >= m_deepest) {
        return fail();
    }
    ++m_depth;
    return true;
}

bool JsonCursor::leave()
{
    --m_depth;
    return true;
}

std::optional<std::uint32_t> JsonCursor::hexQuad()
{
    if (m_text.size() - m_at < 4) {
        return std::nullopt;
    }
    std::uint32_t code = 0;
    for (int i = 0; i < 4; ++i) {
        const unsigned digit = hexDigit(m_text[m_at++]);
        if (digit > 15) {
            return std::nullopt;
        }
        code = code * 16 + digit;
    }
    return code;
}

bool JsonCursor::escape(std::string& decoded)
{
    if (m_at >= m_text.size()) {
        return false;
    }
    switch (m_text[m_at++]) {
    case '"':
        decoded += '"';
        return true;
    case '\\':
        decoded += '\\';
        return true;
    case '/':
        decoded += '/';
        return true;
    case 'b':
        decoded += '\b';
        return true;
    case 'f':
        decoded += '\f';
        return true;
    case 'n':
        decoded += '\n';
        return true;
    case 'r':
        decoded += '\r';
        return true;
    case 't':
        decoded += '\t';
        return true;
    case 'u':
        break;
    default:
        return false;
    }
    auto code = hexQuad();
    if (!code || (*code >= 0xDC00 && *code <= 0xDFFF)) {
        return false;  // a low surrogate must follow a high one
    }
    if (*code >= 0xD800 && *code <= 0xDBFF) {
        if (m_text.substr(m_at, 2) != "\\u") {
            return false;
        }
        m_at += 2;
        const auto low = hexQuad();
        if (!low || *low < 0xDC00 || *low > 0xDFFF) {
            return false;
        }
        code = 0x10000 + ((*code - 0xD800) << 10) + (*low - 0xDC00);
    }
    appendUtf8(decoded, *code);
    return true;
}

bool JsonCursor::multibyte()
{
    // The well-formed sequences of RFC 3629: no overlong forms, no surrogates, nothing past U+10FFFF.
    const unsigned lead = byteOf(m_text[m_at]);
    unsigned low = 0x80;
    unsigned high = 0xBF;
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return false;
    }
    if (m_text.size() - m_at < length) {
        return false;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned next = byteOf(m_text[m_at + i]);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) {
            return false;
        }
    }
    m_at += length;
    return true;
}

std::optional<std::string_view> JsonCursor::string(std::string& scratch)
{
    if (!take('"')) {
        fail();
        return std::nullopt;
    }
    const std::size_t start = m_at;
    bool escaped = false;
    while (m_at < m_text.size()) {
        const char c = m_text[m_at];
        if (c == '"') {
            ++m_at;
            if (!escaped) {
                return m_text.substr(start, m_at - 1 - start);
            }
            return scratch;
        }
        if (c == '\\') {
            if (!escaped) {
                scratch.assign(m_text.substr(start, m_at - start));
                escaped = true;
            }
            ++m_at;
            if (!escape(scratch)) {
                break;
            }
            continue;
        }
        const std::size_t from = m_at;
        if (byteOf(c) < 0x20) {
            break;  // control characters must be escaped
        }
        if (byteOf(c) < 0x80) {
            ++m_at;
        } else if (!multibyte()) {
            break;
        }
        if (escaped) {
            scratch.append(m_text.substr(from, m_at - from));
        }
    }
    fail();
    return std::nullopt;
}

std::string_view JsonCursor::digits()
{
    const std::size_t from = m_at;
    while (m_at < m_text.size() && isDigit(m_text[m_at])) {
        ++m_at;
    }
    return m_text.substr(from, m_at - from);
}

std::optional<NumberText> JsonCursor::numberText()
{
    NumberText text;
    if (peek() == '\0') {
        return std::nullopt;
    }
    const std::size_t start = m_at;
    text.negative = m_text[m_at] == '-';
    m_at += text.negative ? 1 : 0;
    text.integer = digits();
    if (text.integer.empty() || (text.integer.size() > 1 && text.integer.front() == '0')) {
        return std::nullopt;
    }
    if (m_at < m_text.size() && m_text[m_at] == '.') {
        ++m_at;
        text.fraction = digits();
        if (text.fraction.empty()) {
            return std::nullopt;
        }
    }
    if (m_at < m_text.size() && (m_text[m_at] == 'e' || m_text[m_at] == 'E')) {
        const std::size_t from = ++m_at;
        m_at += m_at < m_text.size() && (m_text[m_at] == '+' || m_text[m_at] == '-') ? std::size_t{1} : 0;
        if (digits().empty()) {
            return std::nullopt;
        }
        text.exponent = m_text.substr(from, m_at - from);
    }
    text.whole = m_text.substr(start, m_at - start);
    return text;
}

std::optional<JsonCursor::Number> JsonCursor::number()
{
    const auto text = numberText();
    auto number = text ? JsonNumber::read(*text) : std::nullopt;
    if (!number) {
        fail();
    }
    return number;
}

std::optional<std::string_view> JsonCursor::literal()
{
    for (const std::string_view word :
         {std::string_view("true"), std::string_view("false"), std::string_view("null")}) {
        if (peek() == word.front() && m_text.substr(m_at, word.size()) == word) {
            m_at += word.size();
            return word;
        }
    }
    fail();
    return std::nullopt;
}

bool JsonCursor::scalar(std::string& scratch)
{
    const char next = peek();
    if (next == '"') {
        return string(scratch).has_value();
    }
    if (next == '-' || isDigit(next)) {
        return number().has_value();
    }
    return literal().has_value();
}

bool JsonCursor::skip()
{
    // The brackets of the arrays and objects opened here, innermost last: no
    // recursion, so any nesting within `deepest` is read.
    std::string open;
    std::string scratch;
    while (true) {
        const char next = peek();
        if (next == '{' || next == '[') {
            if (!enter(next)) {
                return false;
            }
            open += next;
            if (!take(next == '{' ? '}' : ']')) {
                if (next == '{' && (!string(scratch) || !take(':'))) {
                    return fail();
                }
                continue;  // the first element or member of what was just opened
            }
            open.pop_back();
            leave();
        } else if (!scalar(scratch)) {
            return false;
        }
        if (!nextValue(open, scratch)) {
            return false;
        }
        if (open.empty()) {
            return !m_failed;
        }
    }
}

bool JsonCursor::nextValue(std::string& open, std::string& scratch)
{
    while (!open.empty()) {
        const bool inObject = open.back() == '{';
        if (take(',')) {
            return !inObject || (string(scratch).has_value() && take(':')) || fail();
        }
        if (!take(inObject ? '}' : ']')) {
            return fail();
        }
        open.pop_back();
        leave();
    }
    return true;
}

bool JsonCursor::finished()
{
    // The library's parser takes a NUL byte outside a string for the end of
    // the text, whatever follows it.
    return peek() == '\0' && !m_failed;
}

}  // namespace ostrel
