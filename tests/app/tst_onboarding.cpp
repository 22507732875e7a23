// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppDelegate.h"
#include "app/OnboardingWindowController.h"
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

const QString loginPrompt = QStringLiteral("Start at Login?");

int promptsShown(const FakeAlertPresenter& alerts)
{
    return static_cast<int>(std::count_if(alerts.shown.cbegin(), alerts.shown.cend(),
                                          [](const Alert& a) { return a.message == loginPrompt; }));
}

// Messages of one logging category, collected while it lives.
class CategoryLog {
public:
    explicit CategoryLog(const char* category)
    {
        s_category = category;
        s_lines.clear();
        previous_ = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
                if (type == QtCriticalMsg && qstrcmp(context.category, s_category) == 0)
                    s_lines.append(message);
            });
    }
    ~CategoryLog() { qInstallMessageHandler(previous_); }
    CategoryLog(const CategoryLog&) = delete;
    CategoryLog& operator=(const CategoryLog&) = delete;
    static QStringList lines() { return s_lines; }

private:
    static inline const char* s_category = nullptr;
    static inline QStringList s_lines;
    QtMessageHandler previous_ = nullptr;
};

struct Launch {
    FakePlatform& platform;
    FakeGlobalHotkey hotkey;
    OverlayManager overlays{testing::overlayServices(platform)};
    AppDelegate delegate{appServices(platform), hotkey, overlays, [] {}};

    explicit Launch(FakePlatform& p)
        : platform(p)
    {
        delegate.applicationDidFinishLaunching();
    }
    OnboardingWindowController* onboarding() const { return delegate.onboardingController(); }
};

} // namespace

class TestOnboarding : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstLaunchShowsTheWindowAndNoPromptUntilFinished();
    void continueAsksOnceAndClosesTheWindow();
    void closeButtonAlsoFinishesTheFirstRun();
    void grantedLaterSwitchesTheWindowAndStopsPolling();
    void returnFinishesOnlyOnceGranted();
    void grantButtonAsksAndOpensTheSettings();
    void laterLaunchAsksOnceThenNever();
    void noRegistersNothing();
    void failedRegistrationIsLogged();
};

void TestOnboarding::firstLaunchShowsTheWindowAndNoPromptUntilFinished()
{
    FakePlatform platform;
    Launch launch(platform);
    OnboardingWindowController* onboarding = launch.onboarding();
    QVERIFY(onboarding);
    QVERIFY(onboarding->window()->isVisible());
    QCOMPARE(onboarding->window()->windowTitle(), QStringLiteral("Welcome to Vellumbox"));
    QCOMPARE(onboarding->window()->size(), QSize(460, 420));
    QCOMPARE(promptsShown(platform.alerts), 0);
    // Granted from the start (as on X11): no polling, the finishing button reads so.
    QVERIFY(onboarding->statusImageView()->isGranted());
    QCOMPARE(onboarding->statusLabel()->text(), QStringLiteral("Screen Recording: Granted"));
    QVERIFY(!onboarding->grantButton()->isEnabled());
    QCOMPARE(onboarding->grantButton()->text(), QStringLiteral("Permission Granted"));
    QCOMPARE(onboarding->continueButton()->text(), QStringLiteral("Get Started"));
    QVERIFY(!onboarding->permissionCheckTimer());
    // Both buttons lie wholly inside the window and do not cover each other.
    const QRect window = onboarding->window()->rect();
    QVERIFY(window.contains(onboarding->grantButton()->geometry()));
    QVERIFY(window.contains(onboarding->continueButton()->geometry()));
    QVERIFY(!onboarding->grantButton()->geometry().intersects(
        onboarding->continueButton()->geometry()));
}

void TestOnboarding::continueAsksOnceAndClosesTheWindow()
{
    FakePlatform platform;
    Launch launch(platform);
    OnboardingWindowController* onboarding = launch.onboarding();
    bool windowOpenDuringPrompt = false;
    platform.alerts.whileShown = [&](const Alert&) {
        windowOpenDuringPrompt = onboarding->window()->isVisible();
    };
    QTest::mouseClick(onboarding->continueButton(), Qt::LeftButton);
    QCOMPARE(promptsShown(platform.alerts), 1);
    QVERIFY(windowOpenDuringPrompt);
    QVERIFY(!onboarding->window()->isVisible());
    QVERIFY(platform.settings.boolValue(settings_keys::hasCompletedOnboarding));
    QVERIFY(platform.settings.boolValue(settings_keys::hasShownLoginItemPrompt));
    QCOMPARE(platform.loginItems.registrations, 1);
    // The controller and its window stay for the rest of the run.
    QCOMPARE(launch.onboarding(), onboarding);

    // The next launch shows neither the window nor the prompt.
    Launch next(platform);
    QVERIFY(!next.onboarding());
    QCOMPARE(promptsShown(platform.alerts), 1);
}

void TestOnboarding::closeButtonAlsoFinishesTheFirstRun()
{
    FakePlatform platform;
    platform.permission.granted = false;
    Launch launch(platform);
    OnboardingWindowController* onboarding = launch.onboarding();
    QVERIFY(onboarding->permissionCheckTimer());
    QVERIFY(onboarding->window()->close());
    QCOMPARE(promptsShown(platform.alerts), 1);
    QVERIFY(platform.settings.boolValue(settings_keys::hasCompletedOnboarding));
    QVERIFY(!onboarding->permissionCheckTimer());
}

void TestOnboarding::grantedLaterSwitchesTheWindowAndStopsPolling()
{
    FakePlatform platform;
    platform.permission.granted = false;
    Launch launch(platform);
    OnboardingWindowController* onboarding = launch.onboarding();
    QVERIFY(!onboarding->statusImageView()->isGranted());
    QCOMPARE(onboarding->statusLabel()->text(), QStringLiteral("Screen Recording: Not Granted"));
    QVERIFY(onboarding->grantButton()->isEnabled());
    QCOMPARE(onboarding->grantButton()->text(), QStringLiteral("Grant Screen Recording Access…"));
    QCOMPARE(onboarding->continueButton()->text(), QStringLiteral("Continue Without Permission"));
    QCOMPARE(onboarding->permissionCheckTimer()->interval(), 1000);

    const int checksBefore = platform.permission.preflightCount;
    QTest::qWait(1100);
    QVERIFY(platform.permission.preflightCount > checksBefore);
    QVERIFY(!onboarding->statusImageView()->isGranted());

    platform.permission.granted = true;
    QTRY_VERIFY_WITH_TIMEOUT(onboarding->statusImageView()->isGranted(), 2500);
    QCOMPARE(onboarding->statusLabel()->text(), QStringLiteral("Screen Recording: Granted"));
    QVERIFY(!onboarding->grantButton()->isEnabled());
    QCOMPARE(onboarding->continueButton()->text(), QStringLiteral("Get Started"));
    QTRY_VERIFY(!onboarding->permissionCheckTimer());
    const int checksAfter = platform.permission.preflightCount;
    QTest::qWait(1200);
    QCOMPARE(platform.permission.preflightCount, checksAfter);
}

void TestOnboarding::returnFinishesOnlyOnceGranted()
{
    FakePlatform platform;
    platform.permission.granted = false;
    Launch launch(platform);
    OnboardingWindowController* onboarding = launch.onboarding();
    QTest::keyClick(onboarding->window(), Qt::Key_Return);
    QVERIFY(onboarding->window()->isVisible());
    QCOMPARE(promptsShown(platform.alerts), 0);

    platform.permission.granted = true;
    onboarding->checkPermission();
    QTest::keyClick(onboarding->window(), Qt::Key_Return);
    QVERIFY(!onboarding->window()->isVisible());
    QCOMPARE(promptsShown(platform.alerts), 1);
}

void TestOnboarding::grantButtonAsksAndOpensTheSettings()
{
    FakePlatform platform;
    platform.permission.granted = false;
    Launch launch(platform);
    QTest::mouseClick(launch.onboarding()->grantButton(), Qt::LeftButton);
    QCOMPARE(platform.permission.requestCount, 1);
    QCOMPARE(platform.permission.openSettingsCount, 1);
    QVERIFY(launch.onboarding()->window()->isVisible());
    QCOMPARE(promptsShown(platform.alerts), 0);
}

void TestOnboarding::laterLaunchAsksOnceThenNever()
{
    FakePlatform platform;
    platform.settings.setBoolValue(settings_keys::hasCompletedOnboarding, true);
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
    QCOMPARE(platform.loginItems.registrations, 1);
}

void TestOnboarding::noRegistersNothing()
{
    FakePlatform platform;
    platform.settings.setBoolValue(settings_keys::hasCompletedOnboarding, true);
    platform.alerts.answer = alertFirstButtonReturn + 1;
    {
        Launch launch(platform);
        QCOMPARE(promptsShown(platform.alerts), 1);
    }
    Launch again(platform);
    QCOMPARE(promptsShown(platform.alerts), 1);
    QCOMPARE(platform.loginItems.registrations, 0);
}

void TestOnboarding::failedRegistrationIsLogged()
{
    FakePlatform platform;
    platform.settings.setBoolValue(settings_keys::hasCompletedOnboarding, true);
    platform.loginItems.failWith = QStringLiteral("Could not write /x: No space left on device");
    CategoryLog log("vellumbox.LoginItem");
    Launch launch(platform);
    QCOMPARE(platform.loginItems.registrations, 1);
    QCOMPARE(log.lines(),
             QStringList(QStringLiteral(
                 "Failed to enable login item: Could not write /x: No space left on device")));
    QVERIFY(platform.settings.boolValue(settings_keys::hasShownLoginItemPrompt));
}

QTEST_MAIN(TestOnboarding)
#include "tst_onboarding.moc"
