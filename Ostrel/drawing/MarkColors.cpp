#include "drawing/MarkColors.h"

#include "model/TierColor.h"

namespace ostrel::MarkColors {

QColor accent(Provider provider)
{
    return provider == Provider::claude ? QColor(217, 119, 87) : QColor(16, 163, 127);
}

QColor accentHighlight(Provider provider)
{
    return provider == Provider::claude ? QColor(240, 164, 135) : QColor(95, 211, 176);
}

QColor accentDeep(Provider provider)
{
    return provider == Provider::claude ? QColor(158, 74, 47) : QColor(7, 102, 79);
}

QColor tierColor(PaceTier tier)
{
    const Rgb rgb = tierRgb(tier);
    return {rgb.red, rgb.green, rgb.blue};
}

QColor tierHighlight(PaceTier tier)
{
    switch (tier) {
    case PaceTier::blue:
        return {140, 192, 255};
    case PaceTier::green:
        return {139, 235, 176};
    case PaceTier::yellow:
        return {255, 226, 138};
    case PaceTier::red:
        break;
    }
    return {255, 154, 155};
}

QColor tierOnAnyPanel(PaceTier tier)
{
    switch (tier) {
    case PaceTier::blue:
        return {45, 120, 240};
    case PaceTier::green:
        return {24, 150, 80};
    case PaceTier::yellow:
        return {180, 124, 0};
    case PaceTier::red:
        break;
    }
    return {230, 50, 50};
}

QColor neutralOnAnyPanel()
{
    return {120, 120, 120};
}

QColor resetCreditAmber()
{
    return {255, 176, 32};
}

QColor alertOrange()
{
    return {255, 149, 0};
}

}  // namespace ostrel::MarkColors
