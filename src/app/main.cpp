// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppDelegate.h"
#include "SessionType.h"
#include "capture/ScreenCaptureManager.h"
#include "overlay/OverlayManager.h"
#include "platform/Logging.h"
#include "platform/PlatformServices.h"
#include "platform/QuitSignals.h"
#include "platform/X11GlobalHotkey.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

using namespace vellumbox;

int main(int argc, char* argv[])
{
    if (shouldUseXcb(qgetenv("QT_QPA_PLATFORM"), qgetenv("XDG_SESSION_TYPE"),
                     qgetenv("WAYLAND_DISPLAY"), qgetenv("DISPLAY")))
        qputenv("QT_QPA_PLATFORM", "xcb");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellumbox"));
    QApplication::setOrganizationName(QStringLiteral("Vellumbox"));
    QApplication::setApplicationVersion(QStringLiteral(VELLUMBOX_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.vellumbox.Vellumbox"));
    // No main window: closing the last window never ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    installLogHandler();
    quitOnTerminationSignals();

    X11GlobalHotkey hotkey;
    AppDelegate delegate(linuxPlatform(), hotkey, OverlayManager::shared(),
                         [] { ScreenCaptureManager::shared().startCapture(); });
    ScreenCaptureManager::shared().onPermissionMissing = [target = QPointer(&delegate)] {
        if (target)
            target->requestScreenRecordingPermission();
    };
    QTimer::singleShot(0, &delegate, &AppDelegate::applicationDidFinishLaunching);
    return QApplication::exec();
}
