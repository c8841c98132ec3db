#include "drawing/Symbols.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

// Resources compiled into a static library are registered only when something
// refers to them, so the first symbol asked for does it, for the app and the tests
// alike. The macro declares the registration function in the enclosing
// namespace, hence a function at global scope.
// NOLINTNEXTLINE(misc-use-anonymous-namespace): inside one, the macro's declaration would get internal linkage
static void registerSymbolResources()
{
    Q_INIT_RESOURCE(symbols);
}

namespace ostrel {
namespace {

struct SymbolFile
{
    Symbol symbol;
    std::string_view name;
    std::string_view file;  ///< under resources/symbols/
};

// The one table from symbol to picture, in the order of the enumeration.
constexpr auto symbolFiles = std::to_array<SymbolFile>({
    {Symbol::arrowClockwise, "arrow.clockwise", "outline/reload.svg"},
    {Symbol::arrowClockwiseCircle, "arrow.clockwise.circle", "outline/rotate-clockwise.svg"},
    {Symbol::arrowCounterclockwiseCircle, "arrow.counterclockwise.circle", "outline/rotate.svg"},
    {Symbol::arrowDownCircleFill, "arrow.down.circle.fill", "filled/circle-arrow-down.svg"},
    {Symbol::building2, "building.2", "outline/buildings.svg"},
    {Symbol::cameraViewfinder, "camera.viewfinder", "outline/capture.svg"},
    {Symbol::checkmark, "checkmark", "outline/check.svg"},
    {Symbol::checkmarkCircleFill, "checkmark.circle.fill", "filled/circle-check.svg"},
    {Symbol::clock, "clock", "outline/clock.svg"},
    {Symbol::clockBadgeExclamationmark, "clock.badge.exclamationmark", "outline/clock-exclamation.svg"},
    {Symbol::creditcard, "creditcard", "outline/credit-card.svg"},
    {Symbol::docOnDoc, "doc.on.doc", "outline/copy.svg"},
    {Symbol::ellipsisCircle, "ellipsis.circle", "outline/dots-circle-horizontal.svg"},
    {Symbol::exclamationmarkArrowCirclepath, "exclamationmark.arrow.circlepath", "outline/refresh-alert.svg"},
    {Symbol::exclamationmarkCircleFill, "exclamationmark.circle.fill", "filled/exclamation-circle.svg"},
    {Symbol::gaugeWithDotsNeedle33percent, "gauge.with.dots.needle.33percent", "outline/gauge.svg"},
    {Symbol::hourglass, "hourglass", "outline/hourglass.svg"},
    {Symbol::infinity, "infinity", "outline/infinity.svg"},
    {Symbol::infoCircle, "info.circle", "outline/info-circle.svg"},
    {Symbol::laptopcomputerAndIphone, "laptopcomputer.and.iphone", "outline/devices.svg"},
    {Symbol::personCropCircleBadgeExclamationmark,
     "person.crop.circle.badge.exclamationmark",
     "outline/user-exclamation.svg"},
    {Symbol::shippingbox, "shippingbox", "outline/package.svg"},
    {Symbol::switch2, "switch.2", "outline/toggle-left.svg"},
    {Symbol::wifiExclamationmark, "wifi.exclamationmark", "outline/wifi-off.svg"},
});

static_assert(std::ranges::all_of(symbolFiles,
                                  [index = std::size_t{0}](const SymbolFile& entry) mutable {
                                      return static_cast<std::size_t>(entry.symbol) == index++;
                                  }),
              "symbolFiles lists every symbol once, in the order of the enumeration");

// A disabled button shows its symbol at this share of its colour's opacity.
constexpr float disabledOpacity = 0.35F;

void ensureResources()
{
    static const bool registered = [] {
        registerSymbolResources();
        return true;
    }();
    (void)registered;
}

const SymbolFile* entryFor(Symbol symbol)
{
    const auto index = static_cast<std::size_t>(symbol);
    return index < symbolFiles.size() ? &symbolFiles.at(index) : nullptr;
}

QString cacheKey(Symbol symbol, int pixels, const QColor& colour, qreal ratio)
{
    return QStringLiteral("ostrel.symbol/%1/%2/%3/%4")
        .arg(static_cast<int>(symbol))
        .arg(pixels)
        .arg(colour.rgba(), 8, 16, QLatin1Char('0'))
        .arg(ratio);
}

// The SVG drawn into a transparent square `pixels` wide, then every painted
// pixel recoloured to `colour` with its coverage kept as alpha.
QImage tintedImage(Symbol symbol, int pixels, const QColor& colour)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(Symbols::resourcePath(symbol));
    if (!renderer.isValid()) {
        return image;
    }
    renderer.setAspectRatioMode(Qt::KeepAspectRatio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, pixels, pixels));
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), colour);
    return image;
}

}  // namespace

namespace Symbols {

std::string_view systemName(Symbol symbol)
{
    const SymbolFile* entry = entryFor(symbol);
    return entry != nullptr ? entry->name : std::string_view{};
}

QString resourcePath(Symbol symbol)
{
    const SymbolFile* entry = entryFor(symbol);
    if (entry == nullptr) {
        return {};
    }
    ensureResources();
    return QStringLiteral(":/symbols/") + QString::fromLatin1(entry->file.data(), std::ssize(entry->file));
}

QPixmap pixmap(Symbol symbol, double pointSize, const QColor& colour, qreal devicePixelRatio)
{
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const auto pixels = static_cast<int>(std::lround(pointSize * ratio));
    if (!(pointSize > 0) || pixels < 1 || entryFor(symbol) == nullptr) {
        return {};
    }
    // Panels repaint often: a symbol is drawn once per size and colour.
    const QString key = cacheKey(symbol, pixels, colour, ratio);
    QPixmap result;
    if (!QPixmapCache::find(key, &result)) {
        result = QPixmap::fromImage(tintedImage(symbol, pixels, colour));
        result.setDevicePixelRatio(ratio);
        QPixmapCache::insert(key, result);
    }
    return result;
}

QIcon icon(Symbol symbol, double pointSize, const QColor& colour)
{
    QColor faded = colour;
    faded.setAlphaF(colour.alphaF() * disabledOpacity);
    QIcon result;
    for (const qreal ratio : {1.0, 2.0}) {
        result.addPixmap(pixmap(symbol, pointSize, colour, ratio), QIcon::Normal);
        result.addPixmap(pixmap(symbol, pointSize, faded, ratio), QIcon::Disabled);
    }
    return result;
}

void paint(QPainter& painter, Symbol symbol, const QRectF& box, const QColor& colour)
{
    const double side = std::min(box.width(), box.height());
    const qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
    const QPixmap image = pixmap(symbol, side, colour, ratio);
    if (image.isNull()) {
        return;
    }
    // Snapped to whole device pixels so the picture is not resampled.
    const QPointF corner = box.center() - QPointF(side, side) / 2;
    const QPointF snapped(std::round(corner.x() * ratio) / ratio, std::round(corner.y() * ratio) / ratio);
    const double drawn = image.width() / ratio;
    painter.drawPixmap(QRectF(snapped, QSizeF(drawn, drawn)), image, QRectF(image.rect()));
}

}  // namespace Symbols
}  // namespace ostrel
