#include "drawing/Contrast.h"

#include <algorithm>
#include <cmath>

namespace ostrel::Contrast {
namespace {

double linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

}  // namespace

double relativeLuminance(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(static_cast<double>(rgb.redF())) + 0.7152 * linear(static_cast<double>(rgb.greenF()))
           + 0.0722 * linear(static_cast<double>(rgb.blueF()));
}

double ratio(const QColor& a, const QColor& b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace ostrel::Contrast
