// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppDelegate.h"
#include "SessionType.h"
#include "SingleInstance.h"
#include "Translations.h"
#include "capture/ScreenCaptureManager.h"
#include "overlay/OverlayManager.h"
#include "platform/HotkeyChoice.h"
#include "platform/Logging.h"
#include "platform/PlatformServices.h"
#include "platform/QuitSignals.h"
#include "update/UpdaterManager.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPointer>
#include <QTimer>

#include <cstdio>

using namespace vellumbox;

int main(int argc, char* argv[])
{
    if (const auto reason =
            missingDisplayReason(qgetenv("QT_QPA_PLATFORM"), qgetenv("XDG_SESSION_TYPE"),
                                 qgetenv("WAYLAND_DISPLAY"), qgetenv("DISPLAY"))) {
        std::fprintf(stderr, "%s\n", qPrintable(*reason));
        return 1;
    }
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
    installTranslations(app, preferredLanguages([](const char* name) { return qgetenv(name); }),
                        translationFolders());

    QCommandLineParser options;
    options.setApplicationDescription(QCoreApplication::translate(
        "main", "Captures a region of the screen and keeps it floating above your work."));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption captureOption(
        QStringLiteral("capture"),
        QCoreApplication::translate("main", "Start a capture as soon as Vellumbox runs."));

    options.addOption(captureOption);
    options.process(app);

    // A second launch captures in the running instance instead of starting another one.
    InstanceService instance([] { ScreenCaptureManager::shared().startCapture(); });
    QString message;
    switch (claimSingleInstance(QDBusConnection::sessionBus(), &instance, &message)) {
    case InstanceRole::Secondary:
        qCInfo(lcApp).noquote() << message;
        return 0;
    case InstanceRole::Unreachable:
        qCCritical(lcApp).noquote() << message;
        return 1;
    case InstanceRole::Primary:
        if (QDBusConnection::sessionBus().isConnected())
            qCInfo(lcApp).noquote() << message;
        else
            qCWarning(lcApp).noquote() << message;
        break;
    }
    quitOnTerminationSignals();

    const std::unique_ptr<GlobalHotkey> hotkey = makeGlobalHotkey();
    const PlatformServices& platform = linuxPlatform();
    AppDelegate delegate(
        {platform.settings, platform.alerts, platform.loginItems, platform.permission,
         platform.shortcuts},
        *hotkey, OverlayManager::shared(), [] { ScreenCaptureManager::shared().startCapture(); },
        [] { return &UpdaterManager::shared(); });
    ScreenCaptureManager::shared().onPermissionMissing = [target = QPointer(&delegate)] {
        if (target)
            target->requestScreenRecordingPermission();
    };
    QTimer::singleShot(0, &delegate, [&delegate, capture = options.isSet(captureOption)] {
        delegate.applicationDidFinishLaunching();
        if (capture)
            ScreenCaptureManager::shared().startCapture();
    });
    return QApplication::exec();
}
