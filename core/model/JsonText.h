#pragma once
// Every JSON text the program reads, its own files and the tools' replies
// alike, is parsed through here. A document nested deeper than `deepestNesting`
// is refused before parsing: building, copying and comparing a value recurse
// once per level, so a small hostile file could otherwise overflow the stack.

#include <cstddef>
#include <string_view>
#include <utility>

#include <nlohmann/json.hpp>

namespace ostrel::JsonText {

/// Far deeper than any document we or the tools write.
inline constexpr std::size_t deepestNesting = 512;

/// Whether no array or object in `text` lies more than `limit` levels deep,
/// counting brackets outside strings; one pass, no recursion. Text that is not
/// JSON is judged the same way, and the parse then refuses it.
[[nodiscard]] bool nestsWithin(std::string_view text, std::size_t limit = deepestNesting);

/// `Document::parse` without exceptions: a discarded value for text that is not
/// one JSON document or that nests deeper than `deepestNesting`.
template <class Document = nlohmann::json>
[[nodiscard]] Document parse(std::string_view text, typename Document::parser_callback_t callback = nullptr)
{
    if (!nestsWithin(text)) {
        return Document(Document::value_t::discarded);
    }
    return Document::parse(text, std::move(callback), false);
}

}  // namespace ostrel::JsonText
