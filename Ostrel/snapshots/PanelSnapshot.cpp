#include "snapshots/PanelSnapshot.h"

#include <cmath>
#include <system_error>

#include <QBuffer>
#include <QClipboard>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QLayout>
#include <QMimeData>
#include <QWidget>

#include "base/QtText.h"
#include "base/WallClock.h"
#include "drawing/TrayLabel.h"
#include "panel/PanelView.h"
#include "snapshots/SnapshotFrame.h"
#include "snapshots/SocialCard.h"
#include "tray/LabelSource.h"

namespace ostrel {
namespace {

constexpr double inchesPerMetre = 39.3700787;
constexpr double pointsPerInch = 72;
constexpr double panelScale = 2;
constexpr double labelScale = 3;
constexpr double cardScale = 1;

std::string_view schemeName(ColorScheme scheme)
{
    return scheme == ColorScheme::dark ? "dark" : "light";
}

/// Lays a hidden widget out as if shown, without a window on any screen; true when it was hidden.
bool settle(QWidget& widget)
{
    if (widget.isVisible()) {
        return false;
    }
    widget.setAttribute(Qt::WA_DontShowOnScreen);
    widget.show();
    // Wrapped texts settle their heights only once laid out at their width,
    // and a holder's layout follows the heights its content settled at.
    QCoreApplication::sendPostedEvents();
    if (QLayout* layout = widget.layout()) {
        layout->activate();
    }
    QCoreApplication::sendPostedEvents();
    return true;
}

std::optional<QImage> renderLabel(UsageStore& store, AppSettings& settings, ColorScheme scheme)
{
    TrayLabel label([&store, &settings](Date now) { return labelContent(store, settings, now); });
    label.setPalette(Theme::palette(scheme));
    label.resize(label.sizeHint());
    return PanelSnapshot::render(label, labelScale);
}

std::optional<QImage> renderSocialCard(const QImage& panel)
{
    SocialCard card(panel);
    return PanelSnapshot::render(card, cardScale);
}

/// Encodes and writes one picture plainly (an existing file is replaced), and notes its path.
std::expected<void, ExportError>
writePicture(const QImage& picture, const std::filesystem::path& path, std::vector<std::filesystem::path>& written)
{
    const std::optional<QByteArray> png = PanelSnapshot::pngData(picture);
    if (!png) {
        return std::unexpected(ExportError{ExportFailure::pictureNotEncoded, path, {}});
    }
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return std::unexpected(ExportError{ExportFailure::fileNotWritten, path, file.errorString().toStdString()});
    }
    if (file.write(*png) != png->size() || !file.flush()) {
        return std::unexpected(ExportError{ExportFailure::fileNotWritten, path, file.errorString().toStdString()});
    }
    file.close();
    written.push_back(path);
    return {};
}

/// Writes the picture when one came back; a picture that could not be drawn is skipped.
std::expected<void, ExportError> writeIfDrawn(const std::optional<QImage>& picture,
                                              const std::filesystem::path& path,
                                              std::vector<std::filesystem::path>& written)
{
    if (!picture) {
        return {};
    }
    return writePicture(*picture, path, written);
}

}  // namespace

std::string ExportError::description() const
{
    std::string text;
    switch (failure) {
    case ExportFailure::folderNotCreated:
        text = "could not create the folder " + path.string();
        break;
    case ExportFailure::pictureNotEncoded:
        text = "could not encode " + path.filename().string() + " as PNG";
        break;
    case ExportFailure::fileNotWritten:
        text = "could not write " + path.string();
        break;
    }
    if (!reason.empty()) {
        text += ": " + reason;
    }
    return text;
}

namespace PanelSnapshot {

std::vector<Variant> variants()
{
    return {
        {"ostrel", PanelState{PanelTab::pace, std::nullopt, std::nullopt, false}},
        {"activity", PanelState{PanelTab::activity, ActivityRange::day, ActivityMeasure::all, false}},
        {"activity-new", PanelState{PanelTab::activity, ActivityRange::week, ActivityMeasure::fresh, false}},
    };
}

std::optional<QImage> render(QWidget& widget, double scale)
{
    const bool shownHere = settle(widget);
    const QSize points = widget.size();
    std::optional<QImage> picture;
    if (!points.isEmpty() && scale > 0) {
        QImage image(static_cast<int>(std::round(points.width() * scale)),
                     static_cast<int>(std::round(points.height() * scale)),
                     QImage::Format_ARGB32_Premultiplied);
        if (!image.isNull()) {
            image.setDevicePixelRatio(scale);
            image.fill(Qt::transparent);
            widget.render(&image);
            picture = std::move(image);
        }
    }
    if (shownHere) {
        widget.hide();
    }
    return picture;
}

std::optional<QByteArray> pngData(const QImage& image)
{
    if (image.isNull()) {
        return std::nullopt;
    }
    QImage marked = image;
    // The PNG's physical size says how many pixels make a point, so viewers show a 2× picture at its size.
    const int dotsPerMetre = static_cast<int>(std::round(image.devicePixelRatio() * pointsPerInch * inchesPerMetre));
    marked.setDotsPerMeterX(dotsPerMetre);
    marked.setDotsPerMeterY(dotsPerMetre);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!marked.save(&buffer, "PNG")) {
        return std::nullopt;
    }
    return bytes;
}

std::unique_ptr<SnapshotFrame>
framedPanel(UsageStore& store, AppSettings& settings, const PanelState& state, ColorScheme scheme)
{
    PanelView::Options options;
    options.forced = state;
    options.isSnapshot = true;
    options.scheme = scheme;
    return std::make_unique<SnapshotFrame>(new PanelView(store, settings, PanelActions{}, options), scheme);
}

std::optional<QImage>
renderPanel(UsageStore& store, AppSettings& settings, const PanelState& state, ColorScheme scheme, double scale)
{
    const std::unique_ptr<SnapshotFrame> frame = framedPanel(store, settings, state, scheme);
    return render(*frame, scale);
}

bool systemIsDark()
{
    return Theme::current().isDark();
}

void copy(const std::optional<QImage>& picture, const QString& fallbackText)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    const std::optional<QByteArray> png = picture ? pngData(*picture) : std::nullopt;
    if (!picture || !png) {
        clipboard->setText(fallbackText);
        return;
    }
    auto* data = new QMimeData;
    data->setData(QStringLiteral("image/png"), *png);
    // Programs that take only Qt's own image type still get a picture.
    data->setImageData(*picture);
    clipboard->setMimeData(data);
}

void copySnapshot(UsageStore& store, AppSettings& settings, const QString& fallbackText)
{
    PanelState state;
    state.timestamp = true;
    const ColorScheme scheme = systemIsDark() ? ColorScheme::dark : ColorScheme::light;
    copy(renderPanel(store, settings, state, scheme, panelScale), fallbackText);
}

std::expected<std::vector<std::filesystem::path>, ExportError>
exportAll(UsageStore& store, AppSettings& settings, const std::filesystem::path& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    // An existing regular file at the path is no folder, though creating reports nothing to do.
    if (!error && !std::filesystem::is_directory(folder, error)) {
        error = std::make_error_code(std::errc::not_a_directory);
    }
    if (error) {
        return std::unexpected(ExportError{ExportFailure::folderNotCreated, folder, error.message()});
    }
    std::vector<std::filesystem::path> written;
    for (const ColorScheme scheme : {ColorScheme::dark, ColorScheme::light}) {
        const std::string suffix = "-" + std::string(schemeName(scheme)) + ".png";
        for (const Variant& variant : variants()) {
            const std::filesystem::path path = folder / (std::string(variant.name) + suffix);
            if (auto done =
                    writeIfDrawn(renderPanel(store, settings, variant.state, scheme, panelScale), path, written);
                !done) {
                return std::unexpected(done.error());
            }
        }
        if (auto done = writeIfDrawn(renderLabel(store, settings, scheme), folder / ("menubar" + suffix), written);
            !done) {
            return std::unexpected(done.error());
        }
    }
    const PanelState social = variants().front().state;
    if (const auto panel = renderPanel(store, settings, social, ColorScheme::dark, panelScale)) {
        if (auto done = writeIfDrawn(renderSocialCard(*panel), folder / "social.png", written); !done) {
            return std::unexpected(done.error());
        }
    }
    return written;
}

}  // namespace PanelSnapshot
}  // namespace ostrel
