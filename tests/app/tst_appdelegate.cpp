// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppDelegate.h"
#include "app/HotkeyManager.h"
#include "app/OnboardingWindowController.h"
#include "app/SessionType.h"
#include "app/SingleInstance.h"
#include "overlay/OverlayManager.h"
#include "platform/fakes/FakePlatform.h"
#include "support/OverlayServices.h"
#include "support/TestSupport.h"

#include <QTest>

#include <algorithm>

using namespace vellumbox;
using namespace vellumbox::fakes;

namespace {

AppDelegate::Services appServices(FakePlatform& p)
{
    return {p.settings, p.alerts, p.loginItems, p.permission, p.shortcuts};
}

const QString loginPrompt = QStringLiteral("Start at Login?");

int promptsShown(const FakeAlertPresenter& alerts)
{
    return static_cast<int>(std::count_if(alerts.shown.cbegin(), alerts.shown.cend(),
                                          [](const Alert& a) { return a.message == loginPrompt; }));
}

// The application on fakes, launched unless told otherwise.
struct Launch {
    FakePlatform& platform;
    FakeGlobalHotkey hotkey;
    OverlayManager overlays{testing::overlayServices(platform)};
    int captures = 0;
    AppDelegate delegate{appServices(platform), hotkey, overlays, [this] { ++captures; }};

    explicit Launch(FakePlatform& p, bool launched = true)
        : platform(p)
    {
        if (launched)
            delegate.applicationDidFinishLaunching();
    }
    OnboardingWindowController* onboarding() const { return delegate.onboardingController(); }
};

} // namespace

class TestAppDelegate : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void hotkeyStartsACaptureAfterTheKeyEvent();
    void refusedHotkeyLeavesTheProgramRunning();
    void permissionMissingAsksThenAlerts_data();
    void permissionMissingAsksThenAlerts();
    void startsInAnySession();
    void finishingAsksOnceAndClosesTheWindow_data();
    void finishingAsksOnceAndClosesTheWindow();
    void notGrantedUntilTheDesktopSaysSo();
    void laterLaunchAsksOnceThenNever_data();
    void laterLaunchAsksOnceThenNever();
    void theFirstRunOffersADesktopShortcut_data();
    void theFirstRunOffersADesktopShortcut();
    // Last: it ends the application's (not running) event loop.
    void quittingLeavesTheFirstRunUnfinished();
};

void TestAppDelegate::hotkeyStartsACaptureAfterTheKeyEvent()
{
    FakePlatform platform;
    Launch launch(platform);
    QVERIFY(launch.delegate.hotkeyManager()->isRegistered());
    QCOMPARE(launch.hotkey.registeredKey, '9');
    launch.hotkey.press();
    QCOMPARE(launch.captures, 0); // posted, not run inside the key handler
    QTRY_COMPARE(launch.captures, 1);
    launch.hotkey.press();
    launch.hotkey.press();
    QTRY_COMPARE(launch.captures, 3);
}

void TestAppDelegate::refusedHotkeyLeavesTheProgramRunning()
{
    FakePlatform platform;
    FakeGlobalHotkey hotkey;
    OverlayManager overlays(testing::overlayServices(platform));
    hotkey.refuse = true;
    QTest::ignoreMessage(QtCriticalMsg,
                         "Could not register the hot key Ctrl+Shift+9: it is held by another "
                         "application (BadAccess)");
    {
        AppDelegate delegate(appServices(platform), hotkey, overlays, [] {});
        delegate.applicationDidFinishLaunching();
        QVERIFY(!delegate.hotkeyManager()->isRegistered());
        // Destroying a manager whose registration failed unregisters nothing.
        hotkey.registeredKey = 'x';
    }
    QCOMPARE(hotkey.registeredKey, 'x');
}

void TestAppDelegate::permissionMissingAsksThenAlerts_data()
{
    QTest::addColumn<bool>("grantOnRequest");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("settingsOpened");
    QTest::newRow("granted on request: no alert") << true << alertFirstButtonReturn << 0;
    QTest::newRow("Open Settings") << false << alertFirstButtonReturn << 1;
    QTest::newRow("Cancel") << false << alertFirstButtonReturn + 1 << 0;
}

void TestAppDelegate::permissionMissingAsksThenAlerts()
{
    QFETCH(bool, grantOnRequest);
    QFETCH(int, answer);
    QFETCH(int, settingsOpened);
    FakePlatform platform;
    platform.permission.granted = false;
    platform.permission.grantOnRequest = grantOnRequest;
    platform.alerts.answer = answer;
    Launch(platform, false).delegate.requestScreenRecordingPermission();
    QCOMPARE(platform.permission.requestCount, 1);
    QCOMPARE(platform.permission.openSettingsCount, settingsOpened);
    QCOMPARE(platform.alerts.shown.size(), grantOnRequest ? 0 : 1);
    if (grantOnRequest)
        return;
    const Alert& alert = platform.alerts.shown.first();
    QCOMPARE(alert.message, QStringLiteral("Screen Recording Permission Required"));
    QCOMPARE(alert.informativeText,
             QStringLiteral("Vellumbox needs Screen Recording permission to capture "
                            "screenshots. Please grant access in your desktop's privacy "
                            "settings, then relaunch the app."));
    QCOMPARE(alert.buttons,
             (QStringList{QStringLiteral("Open Settings"), QStringLiteral("Cancel")}));
    QCOMPARE(alert.style, AlertStyle::Warning);
}

void TestAppDelegate::startsInAnySession()
{
    QVERIFY(shouldUseXcb("", "wayland", "wayland-0", ":0"));
    QVERIFY(shouldUseXcb("", "", "wayland-0", ":0"));
    QVERIFY(shouldUseXcb("", "Wayland", "", ":1"));
    QVERIFY(!shouldUseXcb("", "x11", "", ":0"));
    // The user's own choice, and a Wayland session without XWayland, are left alone.
    QVERIFY(!shouldUseXcb("wayland", "wayland", "wayland-0", ":0"));
    QVERIFY(!shouldUseXcb("", "wayland", "wayland-0", ""));
    // Any other session without a Wayland display keeps Qt's own choice.
    QVERIFY(!shouldUseXcb("", "tty", "", ":0"));

    // No X display where X11 would be used: a reason instead of Qt's abort.
    QVERIFY(missingDisplayReason("", "wayland", "wayland-0", "")->contains(u"XWayland"));
    QVERIFY(missingDisplayReason("xcb", "x11", "", "")->contains(u"DISPLAY is empty"));
    QVERIFY(!missingDisplayReason("", "wayland", "wayland-0", ":0"));
    QVERIFY(!missingDisplayReason("offscreen", "", "", ""));

    // No session bus: this process runs the program all the same, and says why it is alone.
    const QDBusConnection none = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("none"));
    InstanceService service([] {});
    QString message;
    QCOMPARE(claimSingleInstance(none, &service, &message), InstanceRole::Primary);
    QVERIFY2(message.startsWith(u"No session bus"), qPrintable(message));
}

void TestAppDelegate::finishingAsksOnceAndClosesTheWindow_data()
{
    QTest::addColumn<bool>("granted");
    QTest::addColumn<bool>("viaCloseButton");
    QTest::newRow("Get Started") << true << false;
    QTest::newRow("closed while not granted") << false << true;
}

void TestAppDelegate::finishingAsksOnceAndClosesTheWindow()
{
    QFETCH(bool, granted);
    QFETCH(bool, viaCloseButton);
    FakePlatform platform;
    platform.permission.granted = granted;
    Launch launch(platform);
    OnboardingWindowController* onboarding = launch.onboarding();
    QVERIFY(onboarding->window()->isVisible());
    QCOMPARE(onboarding->window()->windowTitle(), QStringLiteral("Welcome to Vellumbox"));
    QCOMPARE(onboarding->window()->size(), QSize(460, 420));
    QVERIFY(testing::childWithText<QLabel>(
        onboarding->window(),
        QStringLiteral("Vellumbox needs Screen Recording permission to capture screenshots. This "
                       "is a desktop security requirement — your screen content stays on your "
                       "computer and is never sent anywhere.")));
    // Both buttons lie wholly inside the window and do not cover each other.
    const QRect window = onboarding->window()->rect();
    QVERIFY(window.contains(onboarding->grantButton()->geometry()));
    QVERIFY(window.contains(onboarding->continueButton()->geometry()));
    QVERIFY(!onboarding->grantButton()->geometry().intersects(
        onboarding->continueButton()->geometry()));
    // Granted from the start (as on X11): nothing to poll.
    QCOMPARE(!onboarding->permissionCheckTimer(), granted);
    QCOMPARE(promptsShown(platform.alerts), 0);
    bool windowOpenDuringPrompt = false;
    platform.alerts.whileShown = [&](const Alert&) {
        windowOpenDuringPrompt = onboarding->window()->isVisible();
    };
    if (viaCloseButton)
        QVERIFY(onboarding->window()->close());
    else
        QTest::mouseClick(onboarding->continueButton(), Qt::LeftButton);
    QCOMPARE(promptsShown(platform.alerts), 1);
    QVERIFY(windowOpenDuringPrompt);
    QVERIFY(!onboarding->window()->isVisible());
    QVERIFY(!onboarding->permissionCheckTimer());
    QVERIFY(platform.settings.boolValue(settings_keys::hasCompletedOnboarding));
    QVERIFY(platform.settings.boolValue(settings_keys::hasShownLoginItemPrompt));
    QCOMPARE(platform.loginItems.registrations, 1);
    // The controller and its window stay for the rest of the run.
    QCOMPARE(launch.onboarding(), onboarding);

    Launch next(platform);
    QVERIFY(!next.onboarding());
    QCOMPARE(promptsShown(platform.alerts), 1);
}

void TestAppDelegate::notGrantedUntilTheDesktopSaysSo()
{
    FakePlatform platform;
    platform.permission.granted = false;
    Launch launch(platform);
    OnboardingWindowController* onboarding = launch.onboarding();
    QVERIFY(!onboarding->statusImageView()->isGranted());
    // A cross: both of its strokes white on red.
    const QImage cross = onboarding->statusImageView()->grab().toImage();
    QVERIFY(qGreen(cross.pixel(8, 12)) > 200 && qGreen(cross.pixel(12, 8)) > 200);
    QCOMPARE(onboarding->statusLabel()->text(), QStringLiteral("Screen Recording: Not Granted"));
    QCOMPARE(onboarding->grantButton()->text(), QStringLiteral("Grant Screen Recording Access…"));
    QCOMPARE(onboarding->continueButton()->text(), QStringLiteral("Continue Without Permission"));
    QCOMPARE(onboarding->permissionCheckTimer()->interval(), 1000);
    // The grant button asks and opens the settings; Return finishes nothing yet.
    QTest::mouseClick(onboarding->grantButton(), Qt::LeftButton);
    QCOMPARE(platform.permission.requestCount, 1);
    QCOMPARE(platform.permission.openSettingsCount, 1);
    QTest::keyClick(onboarding->window(), Qt::Key_Return);
    QVERIFY(onboarding->window()->isVisible());
    QCOMPARE(promptsShown(platform.alerts), 0);

    const int checksBefore = platform.permission.preflightCount;
    QTest::qWait(1100);
    QVERIFY(platform.permission.preflightCount > checksBefore);
    QVERIFY(!onboarding->statusImageView()->isGranted());

    platform.permission.granted = true;
    QTRY_VERIFY_WITH_TIMEOUT(onboarding->statusImageView()->isGranted(), 2500);
    QCOMPARE(onboarding->statusLabel()->text(), QStringLiteral("Screen Recording: Granted"));
    QVERIFY(!onboarding->grantButton()->isEnabled());
    QCOMPARE(onboarding->grantButton()->text(), QStringLiteral("Permission Granted"));
    QCOMPARE(onboarding->continueButton()->text(), QStringLiteral("Get Started"));
    QTRY_VERIFY(!onboarding->permissionCheckTimer());
    QTest::keyClick(onboarding->window(), Qt::Key_Return);
    QVERIFY(!onboarding->window()->isVisible());
    QCOMPARE(promptsShown(platform.alerts), 1);
}

void TestAppDelegate::laterLaunchAsksOnceThenNever_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<int>("registrations");
    QTest::newRow("yes") << alertFirstButtonReturn << QString() << 1;
    QTest::newRow("no") << alertFirstButtonReturn + 1 << QString() << 0;
    QTest::newRow("yes, but the entry cannot be written")
        << alertFirstButtonReturn << QStringLiteral("Could not write /x: No space left on device")
        << 1;
}

void TestAppDelegate::laterLaunchAsksOnceThenNever()
{
    QFETCH(int, answer);
    QFETCH(QString, failure);
    QFETCH(int, registrations);
    FakePlatform platform;
    platform.settings.setBoolValue(settings_keys::hasCompletedOnboarding, true);
    platform.alerts.answer = answer;
    if (!failure.isEmpty())
        platform.loginItems.failWith = failure;
    testing::LogCapture log;
    {
        Launch launch(platform);
        QVERIFY(!launch.onboarding());
        QCOMPARE(promptsShown(platform.alerts), 1);
        const Alert& prompt = platform.alerts.shown.constLast();
        QCOMPARE(
            prompt.informativeText,
            QStringLiteral("Would you like Vellumbox to start automatically when you log in?"));
        QCOMPARE(prompt.buttons, QStringList({QStringLiteral("Yes"), QStringLiteral("No")}));
    }
    Launch again(platform);
    QCOMPARE(promptsShown(platform.alerts), 1);
    QCOMPARE(platform.loginItems.registrations, registrations);
    QCOMPARE(log.lines().contains(QStringLiteral("vellumbox.LoginItem: Failed to enable login "
                                                 "item: ") +
                                  failure),
             !failure.isEmpty());
}

void TestAppDelegate::theFirstRunOffersADesktopShortcut_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("failure"); // of adding it
    QTest::addColumn<QString>("told");
    using K = ShortcutOffer::Kind;
    QTest::newRow("gnome, added") << int(K::Gnome) << QString()
                                  << "Ctrl+Shift+9 now takes a screenshot from any window.";
    QTest::newRow("gnome, taken")
        << int(K::Gnome) << "Ctrl+Shift+9 already runs “Terminal”."
        << "Could not add the shortcut: Ctrl+Shift+9 already runs “Terminal”.";
    QTest::newRow("sway") << int(K::ConfigurationLine) << QString() << QString();
}

void TestAppDelegate::theFirstRunOffersADesktopShortcut()
{
    QFETCH(int, kind);
    QFETCH(QString, failure);
    QFETCH(QString, told);
    FakePlatform platform;
    const QString line = QStringLiteral("bindsym Ctrl+Shift+9 exec /usr/bin/vellumbox --capture");
    platform.shortcuts.offered = {static_cast<ShortcutOffer::Kind>(kind), line};
    if (!failure.isEmpty())
        platform.shortcuts.failWith = failure;
    Launch launch(platform);
    OnboardingWindowController* onboarding = launch.onboarding();
    QCOMPARE(onboarding->window()->size(),
             QSize(460, 420 + OnboardingWindowController::shortcutRowHeight));
    QVERIFY(onboarding->window()->rect().contains(onboarding->shortcutLabel()->geometry()));
    if (kind == int(ShortcutOffer::Kind::ConfigurationLine)) {
        QVERIFY(!onboarding->shortcutButton());
        QCOMPARE(onboarding->shortcutLine()->text(), line);
        QVERIFY(onboarding->shortcutLine()->isReadOnly());
        return;
    }
    QVERIFY(!onboarding->shortcutLine());
    QTest::mouseClick(onboarding->shortcutButton(), Qt::LeftButton);
    QCOMPARE(platform.shortcuts.added, 1);
    QCOMPARE(onboarding->shortcutLabel()->text(), told);
    // Once added there is nothing left to add; after a failure the user may try again.
    QCOMPARE(onboarding->shortcutButton()->isEnabled(), !failure.isEmpty());
}

void TestAppDelegate::quittingLeavesTheFirstRunUnfinished()
{
    // Quit from the tray or SIGTERM closes the window: no prompt holds the ending process.
    FakePlatform platform;
    platform.permission.granted = false;
    Launch launch(platform);
    OnboardingWindowController* onboarding = launch.onboarding();
    QEvent quit(QEvent::Quit);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
    QVERIFY(!onboarding->window()->isVisible());
    QCOMPARE(promptsShown(platform.alerts), 0);
    QVERIFY(!platform.settings.boolValue(settings_keys::hasCompletedOnboarding));
    QVERIFY(!onboarding->permissionCheckTimer());
}

QTEST_MAIN(TestAppDelegate)
#include "tst_appdelegate.moc"
