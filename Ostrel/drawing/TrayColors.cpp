#include "drawing/TrayColors.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <iterator>

#include "drawing/Contrast.h"
#include "drawing/MarkColors.h"

namespace ostrel {
namespace {

constexpr float unlitStrength = 0.32F;
// Glyphs at tray sizes are mostly antialiased edge, which blends towards the
// panel; their colour keeps a margin above the 3:1 the edge pixels need.
constexpr double glyphContrast = 5.0;
constexpr double mixedMargin = 1.25;

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

QColor mixed(const QColor& from, const QColor& to, double share)
{
    const auto channel = [share](int a, int b) {
        return static_cast<int>(std::lround(a + (b - a) * share));
    };
    return {channel(from.red(), to.red()), channel(from.green(), to.green()), channel(from.blue(), to.blue())};
}

// The first candidate that reads on every panel; failing that, the last one
// moved towards `extreme` (black or white, which keep its hue) a tenth at a
// time until it reads with a margin (a mid-tone panel leaves room only near
// white or black, and a blend just over the line reads worse than its ratio
// says); failing that, whichever read best, so a panel of an unusual colour
// still gets the clearest mark.
QColor firstReadable(std::initializer_list<QColor> candidates,
                     const std::vector<QColor>& panels,
                     const QColor& extreme,
                     double minimum = Contrast::forGraphics)
{
    std::vector<QColor> tried(candidates);
    for (const QColor& candidate : candidates) {
        if (worstContrast(candidate, panels) >= minimum) {
            return candidate;
        }
    }
    for (int step = 1; step <= 10; ++step) {
        tried.push_back(mixed(*std::prev(candidates.end()), extreme, step / 10.0));
        if (worstContrast(tried.back(), panels) >= minimum * mixedMargin) {
            return tried.back();
        }
    }
    return *std::ranges::max_element(tried, {}, [&](const QColor& c) { return worstContrast(c, panels); });
}

QColor faint(QColor colour, float strength)
{
    colour.setAlphaF(strength);
    return colour;
}

// A panel of one known colour.
TrayColors onPanel(const QColor& panel)
{
    TrayColors colors;
    colors.panels = {panel};
    const bool dark = Contrast::ratio(lightInk(), panel) > Contrast::ratio(darkInk(), panel);
    const QColor ink = dark ? lightInk() : darkInk();
    const QColor extreme = dark ? QColor(255, 255, 255) : QColor(0, 0, 0);
    colors.primary = firstReadable({ink}, colors.panels, extreme);
    colors.unlit = faint(colors.primary, unlitStrength);
    const Provider claude = Provider::claude;
    const QColor accent = MarkColors::accent(claude);
    const QColor alternative = dark ? MarkColors::accentHighlight(claude) : MarkColors::accentDeep(claude);
    colors.glyphs = {firstReadable({accent, alternative}, colors.panels, extreme, glyphContrast), colors.primary};
    // A mid-tone panel leaves no glyph colour a margin: the spark keeps its
    // accent inside an edge of ink, and the monochrome glyph gets an edge of
    // the other ink, where those read, so the antialiased outline stands out.
    if (worstContrast(accent, colors.panels) < glyphContrast
        && worstContrast(alternative, colors.panels) < glyphContrast
        && worstContrast(ink, colors.panels) >= Contrast::forGraphics) {
        colors.glyphs.at(static_cast<std::size_t>(claude)) = accent;
        colors.glyphEdges.at(static_cast<std::size_t>(claude)) = ink;
    }
    const QColor otherInk = dark ? darkInk() : lightInk();
    if (worstContrast(colors.primary, colors.panels) < glyphContrast
        && worstContrast(otherInk, colors.panels) >= Contrast::forGraphics) {
        colors.glyphEdges.at(static_cast<std::size_t>(Provider::openai)) = otherInk;
    }
    for (const PaceTier tier : allPaceTiers) {
        colors.litCells.at(static_cast<std::size_t>(tier)) =
            firstReadable({MarkColors::tierColor(tier), MarkColors::tierOnAnyPanel(tier)}, colors.panels, extreme);
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

TrayColors TrayColors::forMode(TrayIconMode mode, std::optional<QColor> panel)
{
    switch (mode) {
    case TrayIconMode::colourful:
        return colourful();
    case TrayIconMode::lightPanel:
        return onPanel(lightPanel());
    case TrayIconMode::darkPanel:
        return onPanel(darkPanel());
    case TrayIconMode::automatic:
        break;
    }
    return panel ? onPanel(*panel) : colourful();
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
