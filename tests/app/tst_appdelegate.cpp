// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppDelegate.h"
#include "app/HotkeyManager.h"
#include "app/OnboardingWindowController.h"
#include "app/SessionType.h"
#include "overlay/OverlayManager.h"
#include "support/OverlayServices.h"

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace vellumbox;
using namespace vellumbox::fakes;
using namespace vellumbox::testing;

namespace {

AppDelegate::Services appServices(FakePlatform& p)
{
    return {p.settings, p.alerts, p.loginItems, p.permission, p.shortcuts};
}

const QString loginPrompt = u"Start at Login?"_s;

int promptsShown(const FakeAlertPresenter& alerts)
{
    return static_cast<int>(std::ranges::count(alerts.shown, loginPrompt, &Alert::message));
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
    void hotkeyStartsACaptureAfterTheKeyEvent()
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

    void refusedHotkeyLeavesTheProgramRunning()
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

    void permissionMissingAsksThenAlerts_data()
    {
        columns<bool, int, int>({"grantOnRequest", "answer", "settingsOpened"});
        QTest::newRow("granted on request: no alert") << true << alertFirstButtonReturn << 0;
        QTest::newRow("Open Settings") << false << alertFirstButtonReturn << 1;
        QTest::newRow("Cancel") << false << alertFirstButtonReturn + 1 << 0;
    }

    void permissionMissingAsksThenAlerts()
    {
        const auto [grantOnRequest, answer, settingsOpened] =
            fetch<bool, int, int>({"grantOnRequest", "answer", "settingsOpened"});
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
        QCOMPARE(alert.message, u"Screen Recording Permission Required"_s);
        QCOMPARE(alert.informativeText,
                 u"Vellumbox needs Screen Recording permission to capture "
                 "screenshots. Please grant access in your desktop's privacy "
                 "settings, then relaunch the app."_s);
        QCOMPARE(alert.buttons, (QStringList{u"Open Settings"_s, u"Cancel"_s}));
        QCOMPARE(alert.style, AlertStyle::Warning);
    }

    void startsInAnySession()
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
    }

    void finishingAsksOnceAndClosesTheWindow_data()
    {
        columns<bool, bool>({"granted", "viaCloseButton"});
        QTest::newRow("Get Started") << true << false;
        QTest::newRow("closed while not granted") << false << true;
    }

    void finishingAsksOnceAndClosesTheWindow()
    {
        const auto [granted, viaCloseButton] = fetch<bool, bool>({"granted", "viaCloseButton"});
        FakePlatform platform;
        platform.permission.granted = granted;
        Launch launch(platform);
        OnboardingWindowController* onboarding = launch.onboarding();
        QVERIFY(onboarding->window()->isVisible());
        QVERIFY(testing::childWithText<QLabel>(
            onboarding->window(),
            u"Vellumbox needs Screen Recording permission to capture screenshots. This "
            "is a desktop security requirement — your screen content stays on your "
            "computer and is never sent anywhere."_s));
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

    void notGrantedUntilTheDesktopSaysSo()
    {
        FakePlatform platform;
        platform.permission.granted = false;
        Launch launch(platform);
        OnboardingWindowController* onboarding = launch.onboarding();
        QVERIFY(!onboarding->statusImageView()->isGranted());
        // A cross: both of its strokes white on red.
        const QImage cross = onboarding->statusImageView()->grab().toImage();
        QVERIFY(qGreen(cross.pixel(8, 8)) > 200 && qGreen(cross.pixel(12, 8)) > 200);
        QCOMPARE(onboarding->statusLabel()->text(), u"Screen Recording: Not Granted"_s);
        QCOMPARE(onboarding->grantButton()->text(), u"Grant Screen Recording Access…"_s);
        QCOMPARE(onboarding->continueButton()->text(), u"Continue Without Permission"_s);
        QCOMPARE(onboarding->permissionCheckTimer()->interval(), 1000);
        // The grant button asks and opens the settings; Return finishes nothing yet.
        QTest::mouseClick(onboarding->grantButton(), Qt::LeftButton);
        QCOMPARE(platform.permission.requestCount, 1);
        QCOMPARE(platform.permission.openSettingsCount, 1);
        QTest::keyClick(onboarding->window(), Qt::Key_Return);
        QVERIFY(onboarding->window()->isVisible());
        QCOMPARE(promptsShown(platform.alerts), 0);
        // Polled: the desktop grants it outside the program.
        platform.permission.granted = true;
        QTRY_VERIFY_WITH_TIMEOUT(onboarding->statusImageView()->isGranted(), 2500);
        QCOMPARE(onboarding->statusLabel()->text(), u"Screen Recording: Granted"_s);
        QVERIFY(!onboarding->grantButton()->isEnabled());
        QCOMPARE(onboarding->grantButton()->text(), u"Permission Granted"_s);
        QCOMPARE(onboarding->continueButton()->text(), u"Get Started"_s);
        QTRY_VERIFY(!onboarding->permissionCheckTimer());
        QTest::keyClick(onboarding->window(), Qt::Key_Return);
        QVERIFY(!onboarding->window()->isVisible());
        QCOMPARE(promptsShown(platform.alerts), 1);
    }

    void laterLaunchAsksOnceThenNever_data()
    {
        columns<int, QString, int>({"answer", "failure", "registrations"});
        QTest::newRow("yes") << alertFirstButtonReturn << QString() << 1;
        QTest::newRow("no") << alertFirstButtonReturn + 1 << QString() << 0;
        QTest::newRow("yes, but the entry cannot be written")
            << alertFirstButtonReturn << u"Could not write /x: No space left on device"_s << 1;
    }

    void laterLaunchAsksOnceThenNever()
    {
        const auto [answer, failure, registrations] =
            fetch<int, QString, int>({"answer", "failure", "registrations"});
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
            QCOMPARE(prompt.informativeText,
                     u"Would you like Vellumbox to start automatically when you log in?"_s);
            QCOMPARE(prompt.buttons, QStringList({u"Yes"_s, u"No"_s}));
        }
        Launch again(platform);
        QCOMPARE(promptsShown(platform.alerts), 1);
        QCOMPARE(platform.loginItems.registrations, registrations);
        QCOMPARE(log.lines().contains(u"vellumbox.LoginItem: Failed to enable login "
                                      "item: "_s +
                                      failure),
                 !failure.isEmpty());
    }

    void theFirstRunOffersADesktopShortcut_data()
    {
        columns<int, QString, QString>({"kind", "failure", "told"}); // failure: of adding it
        using K = ShortcutOffer::Kind;
        QTest::newRow("gnome, added")
            << int(K::Gnome) << QString() << "Ctrl+Shift+9 now takes a screenshot from any window.";
        QTest::newRow("gnome, taken")
            << int(K::Gnome) << "Ctrl+Shift+9 already runs “Terminal”."
            << "Could not add the shortcut: Ctrl+Shift+9 already runs “Terminal”.";
        QTest::newRow("sway") << int(K::ConfigurationLine) << QString() << QString();
    }

    void theFirstRunOffersADesktopShortcut()
    {
        const auto [kind, failure, told] =
            fetch<int, QString, QString>({"kind", "failure", "told"});
        FakePlatform platform;
        const QString line = u"bindsym Ctrl+Shift+9 exec /usr/bin/vellumbox --capture"_s;
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
    // Last: it ends the application's (not running) event loop.
    void quittingLeavesTheFirstRunUnfinished()
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
};

QTEST_MAIN(TestAppDelegate)
#include "tst_appdelegate.moc"
