// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenshotExporter.h"

#include "ImageFile.h"
#include "annotation/AnnotationCanvas.h"
#include "annotation/AnnotationRenderer.h"
#include "platform/AlertPresenter.h"
#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/Logging.h"
#include "platform/SaveDialog.h"

#include <QPainter>

namespace vellumbox {

QImage flattenedScreenshot(const QImage& shown, AnnotationCanvas* canvas)
{
    if (!canvas || canvas->annotations().isEmpty() || shown.isNull())
        return shown;
    // Drawn at the exported image's own pixels, so line widths follow its size; the
    // annotation in progress is not part of it.
    QImage flattened = shown.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const qreal ratio = flattened.devicePixelRatio();
    flattened.setDevicePixelRatio(1.0);
    QPainter painter(&flattened);
    // Composited in one go when the canvas already drew them on this very pixel grid.
    if (const QImage layer = canvas->finishedLayerFor(flattened.size()); !layer.isNull()) {
        painter.drawImage(QPointF(0, 0), layer);
    } else {
        painter.setRenderHint(QPainter::Antialiasing);
        for (const Annotation& annotation : canvas->annotations())
            renderAnnotation(annotation, painter, QSizeF(flattened.size()));
    }
    painter.end();
    flattened.setDevicePixelRatio(ratio);
    return flattened;
}

ScreenshotExporter::ScreenshotExporter(const Services& services)
    : services_(services)
{}

void ScreenshotExporter::copy(const QImage& image)
{
    services_.clipboard.setImage(image);
}

void ScreenshotExporter::save(QObject* owner, std::function<QImage()> image,
                              std::function<void()> done)
{
    const QString name = defaultScreenshotName(services_.clock.currentDateTime(), QLocale());
    services_.saveDialog.ask(
        name, [guard = QPointer(owner), image = std::move(image), done = std::move(done),
               &alerts = services_.alerts](const std::optional<QString>& path) {
            if (!guard || !path || path->isEmpty())
                return;
            if (const std::optional<QString> failure = writeImageFile(image(), *path)) {
                alerts.runModal(
                    {AlertStyle::Warning, ScreenshotExporter::tr("Save Failed"), *failure, {}});
                return;
            }
            done();
        });
}

bool ScreenshotExporter::share(const ShareTarget& target, const QImage& image)
{
    if (const std::optional<QString> failure = services_.share.share(target, image)) {
        qCWarning(lcOverlay).noquote() << QStringLiteral("Sharing failed: %1").arg(*failure);
        services_.alerts.runModal({AlertStyle::Warning, tr("Share Failed"), *failure, {}});
        return false;
    }
    return true;
}

QList<ShareTarget> ScreenshotExporter::shareTargets() const
{
    return services_.share.targets();
}

} // namespace vellumbox
