#include "model/JsonText.h"

namespace ostrel::JsonText {

bool nestsWithin(std::string_view text, std::size_t limit)
{
    std::size_t depth = 0;
    bool inString = false;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (inString) {
            if (c == '\\') {
                ++at;  // an escaped character never ends the string
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit) {
                return false;
            }
        } else if ((c == ']' || c == '}') && depth > 0) {
            // Never below zero: surplus closers cannot buy depth for what follows.
            --depth;
        }
    }
    return true;
}

}  // namespace ostrel::JsonText
