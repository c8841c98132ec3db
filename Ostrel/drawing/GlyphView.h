#pragma once
// A provider's glyph as a widget of its own size, in the theme's primary
// colour, named for screen readers: the card header, the activity card and
// the settings rows all show one.

#include <QWidget>

#include "drawing/ProviderGlyph.h"

namespace ostrel {

class GlyphView : public QWidget
{
public:
    GlyphView(Provider provider, double points, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ProviderGlyph m_glyph;
};

}  // namespace ostrel
