#include "model/TokenFormat.h"

#include <array>
#include <charconv>

namespace ostrel::TokenFormat {

std::string shortText(std::int64_t count)
{
    struct Scale
    {
        std::int64_t divisor;
        char suffix;
    };

    constexpr std::array<Scale, 4> scales{
        {{1'000'000'000'000, 'T'}, {1'000'000'000, 'B'}, {1'000'000, 'M'}, {1000, 'K'}}};
    for (const Scale& scale : scales) {
        if (count < scale.divisor) {
            continue;
        }
        const double value = static_cast<double>(count) / static_cast<double>(scale.divisor);
        const int decimals = value >= 100 ? 0 : value >= 10 ? 1 : 2;
        // to_chars rounds like printf but never uses the locale's decimal separator.
        std::array<char, 32> buffer{};
        const auto written =
            std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, decimals);
        std::string text(buffer.data(), written.ptr);
        if (text.find('.') != std::string::npos) {
            text.erase(text.find_last_not_of('0') + 1);
            if (text.back() == '.') {
                text.pop_back();
            }
        }
        return text + scale.suffix;
    }
    return std::to_string(count);
}

}  // namespace ostrel::TokenFormat
