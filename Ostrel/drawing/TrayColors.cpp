#include "drawing/TrayColors.h"

#include <algorithm>
#include <initializer_list>

#include "drawing/Contrast.h"
#include "drawing/MarkColors.h"

namespace ostrel {
namespace {

constexpr float unlitStrength = 0.32F;
// Glyphs at tray sizes are mostly antialiased edge, which blends towards the
// panel; their colour keeps a margin above the 3:1 the edge pixels need.
constexpr double glyphContrast = 5.0;

QColor darkInk()
{
    return {31, 31, 31};
}

QColor lightInk()
{
    return {240, 240, 240};
}

double worstContrast(const QColor& colour, const std::vector<QColor>& panels)
{
    double worst = 21;
    for (const QColor& panel : panels) {
        worst = std::min(worst, Contrast::ratio(colour, panel));
    }
    return worst;
}

// The first candidate that reads on every panel; failing that, the one that
// reads best, so a panel of an unusual colour still gets the clearest mark.
QColor firstReadable(std::initializer_list<QColor> candidates,
                     const std::vector<QColor>& panels,
                     double minimum = Contrast::forGraphics)
{
    for (const QColor& candidate : candidates) {
        if (worstContrast(candidate, panels) >= minimum) {
            return candidate;
        }
    }
    return *std::ranges::max_element(candidates, {}, [&](const QColor& c) { return worstContrast(c, panels); });
}

QColor faint(QColor colour, float strength)
{
    colour.setAlphaF(strength);
    return colour;
}

// A panel of one known colour; `text` is the ink its palette suggests, if any.
TrayColors onPanel(const QColor& panel, const QColor& text)
{
    TrayColors colors;
    colors.panels = {panel};
    const bool dark = Contrast::ratio(lightInk(), panel) > Contrast::ratio(darkInk(), panel);
    colors.primary = firstReadable({text, dark ? lightInk() : darkInk()}, colors.panels);
    colors.unlit = faint(colors.primary, unlitStrength);
    const Provider claude = Provider::claude;
    colors.glyphs = {firstReadable({MarkColors::accent(claude),
                                    dark ? MarkColors::accentHighlight(claude) : MarkColors::accentDeep(claude)},
                                   colors.panels,
                                   glyphContrast),
                     colors.primary};
    for (const PaceTier tier : allPaceTiers) {
        colors.litCells.at(static_cast<std::size_t>(tier)) =
            firstReadable({MarkColors::tierColor(tier), MarkColors::tierOnAnyPanel(tier)}, colors.panels);
    }
    return colors;
}

TrayColors colourful()
{
    TrayColors colors;
    colors.panels = {TrayColors::lightPanel(), TrayColors::darkPanel()};
    colors.primary = MarkColors::neutralOnAnyPanel();
    colors.unlit = faint(colors.primary, 0.45F);
    for (const Provider provider : {Provider::claude, Provider::openai}) {
        const auto index = static_cast<std::size_t>(provider);
        colors.glyphs.at(index) = MarkColors::accent(provider);
        colors.glyphEdges.at(index) = MarkColors::accentDeep(provider);
    }
    for (const PaceTier tier : allPaceTiers) {
        colors.litCells.at(static_cast<std::size_t>(tier)) = MarkColors::tierOnAnyPanel(tier);
    }
    return colors;
}

}  // namespace

QColor TrayColors::lightPanel()
{
    return {240, 240, 240};
}

QColor TrayColors::darkPanel()
{
    return {43, 43, 43};
}

TrayColors TrayColors::forMode(TrayIconMode mode, const QPalette& palette)
{
    switch (mode) {
    case TrayIconMode::colourful:
        return colourful();
    case TrayIconMode::lightPanel:
        return onPanel(lightPanel(), darkInk());
    case TrayIconMode::darkPanel:
        return onPanel(darkPanel(), lightInk());
    case TrayIconMode::automatic:
        break;
    }
    return onPanel(palette.color(QPalette::Active, QPalette::Window),
                   palette.color(QPalette::Active, QPalette::WindowText));
}

QColor TrayColors::glyph(Provider provider) const
{
    return glyphs.at(static_cast<std::size_t>(provider));
}

std::optional<QColor> TrayColors::glyphEdge(Provider provider) const
{
    return glyphEdges.at(static_cast<std::size_t>(provider));
}

QColor TrayColors::lit(PaceTier tier) const
{
    return litCells.at(static_cast<std::size_t>(tier));
}

}  // namespace ostrel
