#include "activity/CodexLine.h"

#include <cstdint>
#include <vector>

#include <nlohmann/json.hpp>

#include "model/JsonReading.h"

namespace ostrel::CodexLine {
namespace {

using Document = nlohmann::json;

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

/// What the value after the current key feeds.
struct Target
{
    Node object = Node::other;                   ///< the value opens this object, when it is one
    std::optional<double>* number = nullptr;     ///< the value is read as a number into this
    std::optional<std::string>* text = nullptr;  ///< the value is kept here when a string
};

/// Receives the parser's events; the fields of an object are reset whenever its
/// key appears again, so a repeated member counts as its last appearance.
class Reader
{
public:
    // NOLINTBEGIN(readability-identifier-naming): the names the parser calls
    bool null()
    {
        return scalar(std::nullopt, nullptr);
    }

    bool boolean(bool value)
    {
        return scalar(value ? 1.0 : 0.0, nullptr);
    }

    bool number_integer(Document::number_integer_t value)
    {
        return scalar(static_cast<double>(value), nullptr);
    }

    bool number_unsigned(Document::number_unsigned_t value)
    {
        return scalar(static_cast<double>(value), nullptr);
    }

    bool number_float(Document::number_float_t value, const std::string& /*text*/)
    {
        return scalar(value, nullptr);
    }

    bool string(std::string& value)
    {
        return scalar(JsonReading::decimal(value), &value);
    }

    bool binary(Document::binary_t& /*value*/)
    {
        return scalar(std::nullopt, nullptr);
    }

    bool start_object(std::size_t /*size*/)
    {
        const Node node = m_stack.empty() ? Node::root : m_target.object;
        if (!m_stack.empty()) {
            clear(m_target);
        }
        markObject(node);
        m_stack.push_back(node);
        m_target = {};
        return true;
    }

    bool key(std::string& name)
    {
        m_target = targetOf(m_stack.back(), name);
        return true;
    }

    bool end_object()
    {
        m_stack.pop_back();
        m_target = {};
        return true;
    }

    bool start_array(std::size_t /*size*/)
    {
        clear(m_target);
        m_stack.push_back(Node::other);
        m_target = {};
        return true;
    }

    bool end_array()
    {
        m_stack.pop_back();
        m_target = {};
        return true;
    }

    static bool
    parse_error(std::size_t /*position*/, const std::string& /*token*/, const nlohmann::detail::exception& /*error*/)
    {
        return false;
    }

    // NOLINTEND(readability-identifier-naming)

    /// The fields read, when the document was an object.
    [[nodiscard]] std::optional<Fields> take()
    {
        return m_rootWasObject ? std::optional(std::move(m_fields)) : std::nullopt;
    }

private:
    bool scalar(std::optional<double> number, const std::string* text)
    {
        if (m_stack.empty()) {
            return true;  // a document that is a lone scalar
        }
        clear(m_target);
        if (m_target.number != nullptr) {
            *m_target.number = number;
        }
        if (m_target.text != nullptr && text != nullptr) {
            *m_target.text = *text;
        }
        m_target = {};
        return true;
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
        case Node::root:
            m_rootWasObject = true;
            break;
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

    Fields m_fields;
    std::vector<Node> m_stack;
    Target m_target;
    bool m_rootWasObject = false;
};

}  // namespace

std::optional<Fields> read(std::string_view line)
{
    Reader reader;
    if (!Document::sax_parse(line, &reader)) {
        return std::nullopt;
    }
    return reader.take();
}

}  // namespace ostrel::CodexLine
