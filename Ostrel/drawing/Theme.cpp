#include "drawing/Theme.h"

#include <QApplication>
#include <QFontDatabase>

#include "drawing/MarkColors.h"

namespace ostrel {
namespace {

// Secondary text is the primary colour at this strength, as on the label.
constexpr double secondaryOpacity = 0.55;
// Design points are logical pixels; Qt's points assume 72 per inch on a 96-dpi surface.
constexpr double pointsPerPixel = 72.0 / 96.0;

const QColor lightWindow(246, 246, 247);
const QColor darkWindow(32, 33, 36);
const QColor lightText(20, 20, 22);
const QColor darkText(238, 238, 240);

bool isDarkColor(const QColor& color)
{
    return color.lightnessF() < 0.5F;
}

}  // namespace

Theme Theme::fromPalette(const QPalette& palette)
{
    Theme theme;
    theme.window = palette.color(QPalette::Active, QPalette::Window);
    theme.scheme = isDarkColor(theme.window) ? ColorScheme::dark : ColorScheme::light;
    theme.primary = palette.color(QPalette::Active, QPalette::WindowText);
    // A palette whose text does not stand out from its window (a broken style) gets the scheme's own.
    if (isDarkColor(theme.primary) == isDarkColor(theme.window)) {
        theme.primary = theme.isDark() ? darkText : lightText;
    }
    theme.secondary = theme.primaryAt(secondaryOpacity);
    return theme;
}

Theme Theme::current()
{
    return fromPalette(QApplication::palette());
}

Theme Theme::forScheme(ColorScheme scheme)
{
    return fromPalette(palette(scheme));
}

QPalette Theme::palette(ColorScheme scheme)
{
    const bool dark = scheme == ColorScheme::dark;
    const QColor window = dark ? darkWindow : lightWindow;
    const QColor text = dark ? darkText : lightText;
    const QColor base = dark ? QColor(44, 45, 49) : QColor(255, 255, 255);
    const QColor button = dark ? QColor(58, 59, 64) : QColor(236, 236, 238);
    QPalette palette(button, window);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, window);
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::Base, base);
        palette.setColor(group, QPalette::AlternateBase, window);
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::Button, button);
        palette.setColor(group, QPalette::ButtonText, text);
        palette.setColor(group, QPalette::ToolTipBase, base);
        palette.setColor(group, QPalette::ToolTipText, text);
        palette.setColor(group, QPalette::PlaceholderText, QColor(text.red(), text.green(), text.blue(), 128));
        palette.setColor(group, QPalette::Highlight, blue());
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
        palette.setColor(group, QPalette::Link, blue());
    }
    const QColor muted(text.red(), text.green(), text.blue(), 100);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, muted);
    palette.setColor(QPalette::Disabled, QPalette::Text, muted);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, muted);
    palette.setColor(QPalette::Disabled, QPalette::Window, window);
    return palette;
}

QColor Theme::primaryAt(double opacity) const
{
    QColor color = primary;
    color.setAlphaF(primary.alphaF() * static_cast<float>(opacity));
    return color;
}

QColor Theme::green()
{
    return MarkColors::tierColor(PaceTier::green);
}

QColor Theme::blue()
{
    return MarkColors::tierColor(PaceTier::blue);
}

QColor Theme::orange()
{
    return MarkColors::alertOrange();
}

QColor Theme::red()
{
    return MarkColors::tierColor(PaceTier::red);
}

QFont Theme::font(double points, QFont::Weight weight)
{
    QFont font = QApplication::font();
    font.setPointSizeF(points * pointsPerPixel);
    font.setWeight(weight);
    return font;
}

QFont Theme::monospaceFont(double points)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(points * pointsPerPixel);
    return font;
}

}  // namespace ostrel
