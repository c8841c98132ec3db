#pragma once
// The one theme of the panel and windows: the appearance-dependent colours
// (primary and secondary text, the window and card surfaces), the fixed
// colours the design names beside the tier colours of MarkColors, and fonts
// sized in the design's points (one point is one logical pixel). Views ask
// the theme and hold no colour literals; a snapshot builds the theme of its
// own scheme whatever the desktop's.

#include <QColor>
#include <QFont>
#include <QPalette>

namespace ostrel {

enum class ColorScheme
{
    light,
    dark
};

struct Theme
{
    ColorScheme scheme = ColorScheme::light;
    /// Text and outlines.
    QColor primary;
    /// Secondary text and symbols: the primary colour at lower strength.
    QColor secondary;
    /// The panel's surface.
    QColor window;

    /// The theme of a palette: dark when its window colour is dark.
    [[nodiscard]] static Theme fromPalette(const QPalette& palette);
    /// The theme of the application's current palette.
    [[nodiscard]] static Theme current();
    [[nodiscard]] static Theme forScheme(ColorScheme scheme);
    /// A whole palette in the given scheme ("--light" forces the light one).
    [[nodiscard]] static QPalette palette(ColorScheme scheme);

    [[nodiscard]] bool isDark() const
    {
        return scheme == ColorScheme::dark;
    }

    /// The primary colour at `opacity` (0…1).
    [[nodiscard]] QColor primaryAt(double opacity) const;

    /// The green of "Snapshot copied" and of the green tier.
    [[nodiscard]] static QColor green();
    /// The blue of the update button and of the blue tier.
    [[nodiscard]] static QColor blue();
    [[nodiscard]] static QColor orange();
    [[nodiscard]] static QColor red();

    /// The application font at `points` design points and `weight`.
    [[nodiscard]] static QFont font(double points, QFont::Weight weight = QFont::Normal);
    /// The system's fixed-width font, for commands.
    [[nodiscard]] static QFont monospaceFont(double points);
};

}  // namespace ostrel
