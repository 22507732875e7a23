// SPDX-License-Identifier: GPL-3.0-or-later
#include "PortalScreenshot.h"

#include "PortalResponse.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QLoggingCategory>
#include <QUrl>

#include <cmath>

Q_LOGGING_CATEGORY(lcPortal, "vellumbox.ScreenCapture.Portal")

namespace vellumbox {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString screenshotInterface = QStringLiteral("org.freedesktop.portal.Screenshot");

struct PortalScreenshotText {
    Q_DECLARE_TR_FUNCTIONS(PortalScreenshot)
};

} // namespace

PortalAnswer interpretScreenshotResponse(uint code, const QVariantMap& results)
{
    // 1: the user cancelled; 2: ended otherwise, which is how a refusal kept in the
    // desktop's permission store is told.
    if (code == 1 || code == 2)
        return {PortalAnswer::Outcome::Refused,
                {},
                PortalScreenshotText::tr(
                    "The desktop did not allow Vellumbox to take the screenshot.")};
    if (code != 0)
        return {PortalAnswer::Outcome::Failed,
                {},
                PortalScreenshotText::tr("The desktop's screenshot service failed (answer %1).")
                    .arg(code)};
    const QUrl uri(results.value(QStringLiteral("uri")).toString());
    if (!uri.isLocalFile())
        return {PortalAnswer::Outcome::Failed,
                {},
                PortalScreenshotText::tr("The desktop's screenshot service gave no picture file.")};
    return {PortalAnswer::Outcome::Taken, uri.toLocalFile(), {}};
}

QString portalRequestPath(const QString& uniqueBusName, const QString& token)
{
    QString sender =
        uniqueBusName.startsWith(QLatin1Char(':')) ? uniqueBusName.mid(1) : uniqueBusName;
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

std::optional<LayoutCrop> layoutCrop(const QRect& screen, const QRect& layout, const QSize& picture)
{
    if (layout.isEmpty() || picture.isEmpty() || !layout.contains(screen))
        return std::nullopt;
    const qreal scale = qreal(picture.width()) / layout.width();
    // The picture must be the layout, scaled the same way both ways.
    if (std::abs(layout.height() * scale - picture.height()) > 1.0)
        return std::nullopt;
    const QPointF origin = QPointF(screen.topLeft() - layout.topLeft()) * scale;
    const QSizeF size = QSizeF(screen.size()) * scale;
    const QRect pixels = QRect(QPoint(qRound(origin.x()), qRound(origin.y())), size.toSize())
                             .intersected(QRect(QPoint(0, 0), picture));
    return LayoutCrop{pixels, scale};
}

PortalDisplayCapture::PortalDisplayCapture(std::function<QList<QRect>()> layout)
    : layout_(std::move(layout))
{}

bool PortalDisplayCapture::available()
{
    return offersInterface(portalService, portalPath, screenshotInterface);
}

DisplayImage PortalDisplayCapture::captureDisplay(const ScreenInfo& screen)
{
    DisplayImage whole = captureLayout(replyTimeoutMs);
    if (!whole.ok())
        return whole;
    QRect layout;
    for (const QRect& geometry : layout_())
        layout = layout.united(geometry);
    const std::optional<LayoutCrop> crop = layoutCrop(screen.geometry, layout, whole.image.size());
    if (!crop || crop->pixels.isEmpty()) {
        qCWarning(lcPortal) << "The portal's picture" << whole.image.size()
                            << "does not show the layout" << layout;
        return {{},
                PortalScreenshotText::tr("The desktop's screenshot does not match the screens.")};
    }
    // Converted only now: the whole layout is several times the screen.
    QImage image = whole.image.copy(crop->pixels).convertToFormat(QImage::Format_RGB32);
    image.setDevicePixelRatio(crop->scale);
    return {image, {}, crop->scale};
}

DisplayImage PortalDisplayCapture::captureLayout(int timeoutMs)
{
    if (busy_)
        return {{}, PortalScreenshotText::tr("A screenshot is already being taken.")};
    busy_ = true;
    const auto done = [this](DisplayImage result) {
        busy_ = false;
        return result;
    };
    QElapsedTimer elapsed;
    elapsed.start();
    const PortalReply reply = callPortal(
        screenshotInterface, QStringLiteral("Screenshot"), {QString()},
        {{QStringLiteral("interactive"), false}, {QStringLiteral("modal"), false}}, timeoutMs);
    if (!reply.code) {
        qCWarning(lcPortal).noquote() << "The screenshot portal failed:" << reply.error;
        return done({{},
                     PortalScreenshotText::tr("The desktop's screenshot service failed: %1")
                         .arg(reply.error)});
    }
    const PortalAnswer answer = interpretScreenshotResponse(*reply.code, reply.results);
    const qint64 answeredMs = elapsed.restart();
    if (answer.outcome == PortalAnswer::Outcome::Refused)
        return done({{}, answer.error, 0, true});
    if (answer.outcome == PortalAnswer::Outcome::Failed)
        return done({{}, answer.error});
    QImageReader reader(answer.fileName);
    QImage image = reader.read();
    // The file was made for this request only.
    if (!QFile::remove(answer.fileName))
        qCWarning(lcPortal).noquote() << "Could not remove the portal's file" << answer.fileName;
    qCInfo(lcPortal) << "The screenshot portal answered in" << answeredMs << "ms; its picture"
                     << image.size() << "was read in" << elapsed.elapsed() << "ms";
    if (image.isNull())
        return done({{},
                     PortalScreenshotText::tr("The desktop's screenshot could not be read: %1")
                         .arg(reader.errorString())});
    return done({image, {}});
}

} // namespace vellumbox
