#pragma once
// The three token colours of a provider, from its accent colours: cached
// input as a faint gradient, new input as the full gradient, output in the
// deep accent. Bars take the fill over their own rectangle; legends take the
// dot colour.

#include <array>

#include <QBrush>
#include <QColor>
#include <QRectF>

#include "model/Provider.h"

namespace ostrel {

/// The parts a token count is split into, in the order they are stacked and listed.
enum class TokenKind
{
    cached,
    input,
    output
};

inline constexpr std::array<TokenKind, 3> allTokenKinds{TokenKind::cached, TokenKind::input, TokenKind::output};

struct TokenPalette
{
    Provider provider = Provider::claude;

    /// The fill of a bar or capsule of `kind` covering `rect`: gradients run from its top to its bottom.
    [[nodiscard]] QBrush barFill(TokenKind kind, const QRectF& rect) const;
    /// The colour of the legend dot of `kind`.
    [[nodiscard]] QColor legendColor(TokenKind kind) const;
};

}  // namespace ostrel
