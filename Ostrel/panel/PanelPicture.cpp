#include "panel/PanelPicture.h"

#include <cmath>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QMimeData>
#include <QPainter>

#include "panel/PopoverView.h"

namespace ostrel::PanelPicture {
namespace {

constexpr double inchesPerMetre = 39.3700787;
constexpr double pointsPerInch = 72;

}  // namespace

QImage render(UsageStore& store, AppSettings& settings, double scale)
{
    PopoverView::Options options;
    options.isSnapshot = true;
    options.forced.timestamp = true;
    options.scheme = Theme::current().scheme;
    PopoverView view(store, settings, PopoverActions{}, options);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    // Let wrapped texts settle their heights before the picture is taken.
    QCoreApplication::sendPostedEvents();
    const QSize points = view.size();
    QImage image(static_cast<int>(std::round(points.width() * scale)),
                 static_cast<int>(std::round(points.height() * scale)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    view.render(&image);
    view.hide();
    return image;
}

QByteArray pngData(const QImage& image)
{
    QImage marked = image;
    // The PNG's physical size says how many pixels make a point, so viewers show a 2× picture at its size.
    const int dotsPerMetre = static_cast<int>(std::round(image.devicePixelRatio() * pointsPerInch * inchesPerMetre));
    marked.setDotsPerMeterX(dotsPerMetre);
    marked.setDotsPerMeterY(dotsPerMetre);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!marked.save(&buffer, "PNG")) {
        return {};
    }
    return bytes;
}

void copy(UsageStore& store, AppSettings& settings, const QString& fallbackText)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QImage image = render(store, settings, 2);
    const QByteArray png = pngData(image);
    if (png.isEmpty()) {
        clipboard->setText(fallbackText);
        return;
    }
    auto* data = new QMimeData;
    data->setData(QStringLiteral("image/png"), png);
    data->setImageData(image);
    clipboard->setMimeData(data);
}

}  // namespace ostrel::PanelPicture
