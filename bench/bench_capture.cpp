// SPDX-License-Identifier: GPL-3.0-or-later
// Capture plus crop of a whole screen, in process, on the display it runs on.
#include "BenchStats.h"
#include "DesktopPicture.h"
#include "capture/ScreenCaptureManager.h"
#include "overlay/RotatedImage.h"
#include "platform/PlatformServices.h"
#include "platform/QtClipboard.h"
#include "platform/ScreenProvider.h"
#include "platform/X11DisplayCapture.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImageWriter>

using namespace vellumbox;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    PlatformServices& platform = linuxPlatform();
    const QList<ScreenInfo> screens = platform.screens.screens();
    if (screens.isEmpty())
        return 1;
    const ScreenInfo& screen = screens.first();
    std::printf("screen %s: %dx%d device pixels\n", qPrintable(screen.name),
                screen.nativeGeometry.width(), screen.nativeGeometry.height());

    ScreenCaptureManager& manager = ScreenCaptureManager::shared();
    const QRectF region(QPointF(screen.geometry.topLeft()) + QPointF(400, 300), QSizeF(800, 600));
    constexpr int runs = 40;

    QList<double> captureAndCrop;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        const ScreenCaptureManager::Capture capture = manager.captureScreenshot(region, screen);
        captureAndCrop.append(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (capture.image.isNull())
            return 2;
    }
    bench::report(QStringLiteral("capture + crop 800x600 of the screen (MIT-SHM)"), captureAndCrop);

    X11DisplayCapture plain;
    plain.setSharedMemoryAllowed(false);
    QList<double> plainRead;
    for (int i = 0; i < runs / 4; ++i) {
        QElapsedTimer timer;
        timer.start();
        const DisplayImage image = plain.captureDisplay(screen);
        plainRead.append(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (!image.ok())
            return 3;
    }
    bench::report(QStringLiteral("read of the whole screen, plain GetImage"), plainRead);

    // A whole 4K screenshot of desktop-like content leaving the program.
    const QImage shot = bench::desktopPicture({3840, 2160});
    QtClipboard clipboard;
    QList<double> copies;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        clipboard.setImage(shot);
        copies.append(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    bench::report(QStringLiteral("copy of a 3840x2160 screenshot to the clipboard"), copies);
    QList<double> exports;
    qsizetype encodedBytes = 0;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        const QImage flattened = rotatedImage(shot, 90);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter(&buffer, "PNG").write(flattened);
        exports.append(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        encodedBytes = png.size();
    }
    bench::report(QStringLiteral("flatten (rotated) + PNG encode of 3840x2160"), exports);
    std::printf("  (PNG of %.1f MB)\n", static_cast<double>(encodedBytes) / 1e6);
    return 0;
}
