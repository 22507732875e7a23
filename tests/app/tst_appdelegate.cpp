// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppDelegate.h"
#include "app/HotkeyManager.h"
#include "app/SessionType.h"
#include "overlay/OverlayManager.h"
#include "platform/fakes/FakePlatform.h"
#include "support/OverlayServices.h"

#include <QTest>

using namespace vellumbox;
using namespace vellumbox::fakes;

namespace {

AppDelegate::Services appServices(FakePlatform& p)
{
    return {p.settings, p.alerts, p.loginItems, p.permission};
}

} // namespace

class TestAppDelegate : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void launchRegistersTheHotkey();
    void hotkeyStartsACaptureAfterTheKeyEvent();
    void refusedHotkeyLeavesTheProgramRunning();
    void permissionGrantedOnRequestShowsNothing();
    void permissionRefusedShowsTheAlert_data();
    void permissionRefusedShowsTheAlert();
    void sessionTypeChoosesX11UnderWayland();
};

void TestAppDelegate::launchRegistersTheHotkey()
{
    FakePlatform platform;
    FakeGlobalHotkey hotkey;
    OverlayManager overlays(testing::overlayServices(platform));
    AppDelegate delegate(appServices(platform), hotkey, overlays, [] {});
    QVERIFY(!delegate.hotkeyManager());
    delegate.applicationDidFinishLaunching();
    QVERIFY(delegate.hotkeyManager()->isRegistered());
    QCOMPARE(hotkey.registeredKey, '9');
    QVERIFY(delegate.isFirstRun());

    platform.settings.values.insert(QStringLiteral("hasCompletedOnboarding"), true);
    AppDelegate later(appServices(platform), hotkey, overlays, [] {});
    later.applicationDidFinishLaunching();
    QVERIFY(!later.isFirstRun());
}

void TestAppDelegate::hotkeyStartsACaptureAfterTheKeyEvent()
{
    FakePlatform platform;
    FakeGlobalHotkey hotkey;
    OverlayManager overlays(testing::overlayServices(platform));
    int captures = 0;
    AppDelegate delegate(appServices(platform), hotkey, overlays, [&captures] { ++captures; });
    delegate.applicationDidFinishLaunching();
    hotkey.press();
    QCOMPARE(captures, 0); // posted, not run inside the key handler
    QTRY_COMPARE(captures, 1);
    hotkey.press();
    hotkey.press();
    QTRY_COMPARE(captures, 3);
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

void TestAppDelegate::permissionGrantedOnRequestShowsNothing()
{
    FakePlatform platform;
    FakeGlobalHotkey hotkey;
    OverlayManager overlays(testing::overlayServices(platform));
    platform.permission.granted = false;
    platform.permission.grantOnRequest = true;
    AppDelegate delegate(appServices(platform), hotkey, overlays, [] {});
    delegate.requestScreenRecordingPermission();
    QCOMPARE(platform.permission.requestCount, 1);
    QVERIFY(platform.alerts.shown.isEmpty());
}

void TestAppDelegate::permissionRefusedShowsTheAlert_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("settingsOpened");
    QTest::newRow("Open Settings") << alertFirstButtonReturn << 1;
    QTest::newRow("Cancel") << alertFirstButtonReturn + 1 << 0;
}

void TestAppDelegate::permissionRefusedShowsTheAlert()
{
    QFETCH(int, answer);
    QFETCH(int, settingsOpened);
    FakePlatform platform;
    FakeGlobalHotkey hotkey;
    OverlayManager overlays(testing::overlayServices(platform));
    platform.permission.granted = false;
    platform.alerts.answer = answer;
    AppDelegate delegate(appServices(platform), hotkey, overlays, [] {});
    delegate.requestScreenRecordingPermission();
    QCOMPARE(platform.alerts.shown.size(), 1);
    const Alert& alert = platform.alerts.shown.first();
    QCOMPARE(alert.message, QStringLiteral("Screen Recording Permission Required"));
    QCOMPARE(alert.informativeText,
             QStringLiteral("Vellumbox needs Screen Recording permission to capture "
                            "screenshots. Please grant access in your desktop's privacy "
                            "settings, then relaunch the app."));
    QCOMPARE(alert.buttons,
             (QStringList{QStringLiteral("Open Settings"), QStringLiteral("Cancel")}));
    QCOMPARE(alert.style, AlertStyle::Warning);
    QCOMPARE(platform.permission.openSettingsCount, settingsOpened);
}

void TestAppDelegate::sessionTypeChoosesX11UnderWayland()
{
    QVERIFY(shouldUseXcb("", "wayland", "wayland-0", ":0"));
    QVERIFY(shouldUseXcb("", "", "wayland-0", ":0"));
    QVERIFY(shouldUseXcb("", "Wayland", "", ":1"));
    QVERIFY(!shouldUseXcb("", "x11", "", ":0"));
    // The user's own choice, and a Wayland session without XWayland, are left alone.
    QVERIFY(!shouldUseXcb("wayland", "wayland", "wayland-0", ":0"));
    QVERIFY(!shouldUseXcb("", "wayland", "wayland-0", ""));
    // The desktop's name says nothing about the session type.
    QVERIFY(!shouldUseXcb("", "tty", "", ":0"));
}

QTEST_MAIN(TestAppDelegate)
#include "tst_appdelegate.moc"
