// SPDX-License-Identifier: GPL-3.0-or-later
#include "KWinScreenShot.h"

#include "PortalResponse.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QLoggingCategory>
#include <QTimer>
#include <QtConcurrentRun>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcKWin, "vellumbox.ScreenCapture.KWin")

namespace vellumbox {

namespace {

const QString kwinService = QStringLiteral("org.kde.KWin");
const QString screenShotPath = QStringLiteral("/org/kde/KWin/ScreenShot2");
const QString screenShotInterface = QStringLiteral("org.kde.KWin.ScreenShot2");

struct KWinScreenShotText {
    Q_DECLARE_TR_FUNCTIONS(KWinScreenShot)
};

// The picture's bytes: as many as the answer announces (known only once it came; until then
// negative), or up to the writer's end of the pipe, or what came before the deadline.
QByteArray readPicture(int fd, const std::shared_ptr<std::atomic<qsizetype>>& expected,
                       QDeadlineTimer deadline)
{
    QByteArray data;
    char chunk[65536];
    for (;;) {
        const qsizetype wanted = expected->load();
        if ((wanted >= 0 && data.size() >= wanted) || deadline.hasExpired())
            break;
        pollfd readable{fd, POLLIN, 0};
        if (::poll(&readable, 1, 20) <= 0)
            continue;
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got > 0)
            data.append(chunk, got);
        else if (got == 0 || errno != EINTR)
            break;
    }
    ::close(fd);
    return data;
}

} // namespace

DisplayImage imageFromKWinScreenShot(const QVariantMap& results, const QByteArray& pixels)
{
    const auto number = [&results](const char* key) {
        return results.value(QLatin1String(key)).toUInt();
    };
    const int width = static_cast<int>(number("width"));
    const int height = static_cast<int>(number("height"));
    const qsizetype stride = number("stride");
    const uint format = number("format");
    const bool knownFormat = format > QImage::Format_Invalid && format < QImage::NImageFormats;
    if (results.value(QStringLiteral("type")).toString() != QStringLiteral("raw") || !knownFormat ||
        width <= 0 || height <= 0 ||
        stride < QImage::toPixelFormat(static_cast<QImage::Format>(format)).bitsPerPixel() *
                     qsizetype{width} / 8 ||
        pixels.size() < stride * height)
        return {{}, KWinScreenShotText::tr("KWin sent a screenshot Vellumbox cannot read.")};
    const QImage wrapped(reinterpret_cast<const uchar*>(pixels.constData()), width, height, stride,
                         static_cast<QImage::Format>(format));
    return {wrapped.convertToFormat(QImage::Format_RGB32), {}};
}

KWinScreenShotCapture::KWinScreenShotCapture(std::unique_ptr<DisplayCapture> fallback)
    : fallback_(std::move(fallback))
{}

bool KWinScreenShotCapture::available()
{
    return offersInterface(kwinService, screenShotPath, screenShotInterface,
                           QStringLiteral("Version"));
}

DisplayImage KWinScreenShotCapture::captureDisplay(const ScreenInfo& screen)
{
    if (refused_)
        return fallback_->captureDisplay(screen);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return {{}, KWinScreenShotText::tr("There are no resources left to read the screen.")};
    // Read while KWin writes: the picture is far larger than a pipe holds. The call keeps a
    // copy of the writing end, so the end of the file cannot mark the end of the picture.
    auto expected = std::make_shared<std::atomic<qsizetype>>(-1);
    QFutureWatcher<QByteArray> reading;
    reading.setFuture(QtConcurrent::run(readPicture, fds[0], expected,
                                        QDeadlineTimer(qint64{2} * replyTimeoutMs)));
    const QRect& area = screen.geometry;
    QDBusMessage message = QDBusMessage::createMethodCall(
        kwinService, screenShotPath, screenShotInterface, QStringLiteral("CaptureArea"));
    message << area.x() << area.y() << static_cast<uint>(area.width())
            << static_cast<uint>(area.height())
            << QVariantMap{{QStringLiteral("native-resolution"), true},
                           {QStringLiteral("include-cursor"), false}}
            << QVariant::fromValue(QDBusUnixFileDescriptor(fds[1]));
    ::close(fds[1]);
    QDBusPendingCallWatcher call(QDBusConnection::sessionBus().asyncCall(message, replyTimeoutMs));
    const auto waitFor = [](auto* sender, auto finished) {
        QEventLoop loop;
        QObject::connect(sender, finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(replyTimeoutMs, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    };
    if (!call.isFinished())
        waitFor(&call, &QDBusPendingCallWatcher::finished);
    const QDBusPendingReply<QVariantMap> reply = call;
    const QVariantMap results = reply.isValid() ? reply.value() : QVariantMap();
    const QDBusError error = reply.error();
    const qsizetype size = qsizetype{results.value(QStringLiteral("stride")).toUInt()} *
                           results.value(QStringLiteral("height")).toUInt();
    expected->store(reply.isValid() ? size : 0);
    if (!reading.isFinished())
        waitFor(&reading, &QFutureWatcher<QByteArray>::finished);

    if (error.isValid()) {
        if (error.name() == QStringLiteral("org.kde.KWin.ScreenShot2.Error.NoAuthorized")) {
            qCWarning(lcKWin) << "KWin does not grant its screenshots to this program (its "
                                 "desktop entry must list org.kde.KWin.ScreenShot2); using the "
                                 "desktop portal instead";
            refused_ = true;
            return fallback_->captureDisplay(screen);
        }
        return {
            {},
            KWinScreenShotText::tr("KWin could not take the screenshot: %1").arg(error.message())};
    }
    if (!reading.isFinished()) {
        // The reader ends on its own by its deadline.
        qCWarning(lcKWin) << "KWin's picture did not arrive within" << replyTimeoutMs << "ms";
        return {{}, KWinScreenShotText::tr("KWin did not send the screenshot in time.")};
    }
    DisplayImage image = imageFromKWinScreenShot(results, reading.result());
    if (image.ok() && !area.isEmpty()) {
        image.scale = qreal(image.image.width()) / area.width();
        image.image.setDevicePixelRatio(image.scale);
    }
    return image;
}

} // namespace vellumbox
