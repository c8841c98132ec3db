#include "activity/CodexLine.h"

#include "activity/JsonCursor.h"
#include "model/JsonReading.h"

namespace ostrel::CodexLine {
namespace {

/// The objects whose members are looked at; everything else is walked past.
enum class Node
{
    other,
    root,
    payload,
    info,
    totalUsage,
    lastUsage,
    limits,
    primary,
    secondary
};

/// What the value of a member feeds.
struct Target
{
    Node object = Node::other;                   ///< the value opens this object, when it is one
    std::optional<double>* number = nullptr;     ///< the value is read as a number into this
    std::optional<std::string>* text = nullptr;  ///< the value is kept here when a string
};

/// Walks the line's objects down to the members that are kept; the fields of
/// an object are reset whenever its key appears again, so a repeated member
/// counts as its last appearance.
class Reader
{
public:
    explicit Reader(std::string_view line)
        : m_cursor(line)
    {}

    /// The fields read, when the line is one valid JSON object.
    [[nodiscard]] std::optional<Fields> read()
    {
        if (m_cursor.peek() != '{' || !object(Node::root) || !m_cursor.finished()) {
            return std::nullopt;
        }
        return std::move(m_fields);
    }

private:
    [[nodiscard]] bool object(Node node)
    {
        return m_cursor.object([this, node](std::string_view key) { return value(targetOf(node, key)); });
    }

    /// The value at the cursor, fed to `target`.
    [[nodiscard]] bool value(const Target& target)
    {
        clear(target);
        const char next = m_cursor.peek();
        if (next == '{' && target.object != Node::other) {
            markObject(target.object);
            return object(target.object);
        }
        if (target.number == nullptr && target.text == nullptr) {
            return m_cursor.skip();
        }
        if (next == '"') {
            const auto text = m_cursor.string(m_scratch);
            if (text && target.number != nullptr) {
                *target.number = JsonReading::decimal(*text);
            }
            if (text && target.text != nullptr) {
                *target.text = std::string(*text);
            }
            return text.has_value();
        }
        if (next == '-' || (next >= '0' && next <= '9')) {
            const auto number = m_cursor.number();
            if (number && target.number != nullptr) {
                *target.number = number->value;
            }
            return number.has_value();
        }
        if (next == 't' || next == 'f') {
            const auto word = m_cursor.literal();
            if (word && target.number != nullptr) {
                *target.number = *word == "true" ? 1.0 : 0.0;
            }
            return word.has_value();
        }
        return m_cursor.skip();
    }

    /// A tracked object's key came again: what its earlier value held no longer counts.
    void clear(const Target& target)
    {
        if (target.text != nullptr) {
            target.text->reset();
        }
        if (target.number != nullptr) {
            target.number->reset();
        }
        switch (target.object) {
        case Node::payload:
            m_fields = Fields{m_fields.timestamp};
            break;
        case Node::info:
            m_fields.infoIsObject = false;
            m_fields.totalUsage = {};
            m_fields.lastUsage = {};
            break;
        case Node::totalUsage:
            m_fields.totalUsage = {};
            break;
        case Node::lastUsage:
            m_fields.lastUsage = {};
            break;
        case Node::limits:
            m_fields.limitsIsObject = false;
            m_fields.limitId.reset();
            m_fields.primary = {};
            m_fields.secondary = {};
            break;
        case Node::primary:
            m_fields.primary = {};
            break;
        case Node::secondary:
            m_fields.secondary = {};
            break;
        case Node::other:
        case Node::root:
            break;
        }
    }

    void markObject(Node node)
    {
        switch (node) {
        case Node::payload:
            m_fields.payloadIsObject = true;
            break;
        case Node::info:
            m_fields.infoIsObject = true;
            break;
        case Node::totalUsage:
            m_fields.totalUsage.isObject = true;
            break;
        case Node::lastUsage:
            m_fields.lastUsage.isObject = true;
            break;
        case Node::limits:
            m_fields.limitsIsObject = true;
            break;
        case Node::primary:
            m_fields.primary.isObject = true;
            break;
        case Node::secondary:
            m_fields.secondary.isObject = true;
            break;
        case Node::root:
        case Node::other:
            break;
        }
    }

    [[nodiscard]] static Target usageMember(Usage& usage, std::string_view name)
    {
        if (name == "input_tokens") {
            return {Node::other, &usage.input, nullptr};
        }
        if (name == "cached_input_tokens") {
            return {Node::other, &usage.cached, nullptr};
        }
        if (name == "output_tokens") {
            return {Node::other, &usage.output, nullptr};
        }
        if (name == "total_tokens") {
            return {Node::other, &usage.total, nullptr};
        }
        return {};
    }

    [[nodiscard]] static Target windowMember(Window& window, std::string_view name)
    {
        if (name == "window_minutes") {
            return {Node::other, &window.minutes, nullptr};
        }
        if (name == "used_percent") {
            return {Node::other, &window.usedPercent, nullptr};
        }
        if (name == "resets_at") {
            return {Node::other, &window.resetsAt, nullptr};
        }
        if (name == "resets_in_seconds") {
            return {Node::other, &window.resetsIn, nullptr};
        }
        return {};
    }

    [[nodiscard]] Target targetOf(Node parent, std::string_view name)
    {
        switch (parent) {
        case Node::root:
            if (name == "timestamp") {
                return {Node::other, nullptr, &m_fields.timestamp};
            }
            return name == "payload" ? Target{Node::payload} : Target{};
        case Node::payload:
            if (name == "info") {
                return {Node::info};
            }
            return name == "rate_limits" ? Target{Node::limits} : Target{};
        case Node::info:
            if (name == "total_token_usage") {
                return {Node::totalUsage};
            }
            return name == "last_token_usage" ? Target{Node::lastUsage} : Target{};
        case Node::totalUsage:
            return usageMember(m_fields.totalUsage, name);
        case Node::lastUsage:
            return usageMember(m_fields.lastUsage, name);
        case Node::limits:
            if (name == "limit_id") {
                return {Node::other, nullptr, &m_fields.limitId};
            }
            if (name == "primary") {
                return {Node::primary};
            }
            return name == "secondary" ? Target{Node::secondary} : Target{};
        case Node::primary:
            return windowMember(m_fields.primary, name);
        case Node::secondary:
            return windowMember(m_fields.secondary, name);
        case Node::other:
            return {};
        }
        return {};
    }

    JsonCursor m_cursor;
    Fields m_fields;
    std::string m_scratch;
};

}  // namespace

std::optional<Fields> read(std::string_view line)
{
    return Reader(line).read();
}

}  // namespace ostrel::CodexLine
