// SPDX-License-Identifier: GPL-3.0-or-later
// The tray icon as a person uses it: a left click to capture, the menu with a right click.
#include "DesktopTools.h"
#include "Steps.h"
#include "TestPattern.h"

#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTest>

using namespace e2e;
using namespace e2e::steps;

namespace {

const QString kAbout = QStringLiteral("About Vellumbox");
const QString kWelcome = QStringLiteral("Welcome to Vellumbox");

QString autostartEntry()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") +
           QStringLiteral("/autostart/org.vellumbox.Vellumbox.desktop");
}

} // namespace

class TestShellE2e : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void leftClickStartsASelection();
    void menuLowersTheScreenshotsWhileOpen();
    void aboutTwiceGivesOneWindowAndQuitEnds();
    void checkForUpdatesSaysThisBuildHasNoFeed();
    void secondLaunchCapturesInTheFirst();
    void firstRunWindowThenStartAtLogin();
    void withoutSessionBusTheHotkeyStillCaptures();

private:
    QPoint trayIcon();
    // Right click on the icon, then Down n times and Return.
    void chooseFromTrayMenu(int downs);

    XHarness m_x;
    std::unique_ptr<AppProcess> m_app;
};

void TestShellE2e::init()
{
    QVERIFY(m_x.setBackgroundPattern(0));
    QString why;
    m_app = startApp(&why);
    QVERIFY2(m_app, qPrintable(why));
}

void TestShellE2e::cleanup()
{
    if (QTest::currentTestFailed())
        tools::mouseUp(1);
    m_app.reset();
}

QPoint TestShellE2e::trayIcon()
{
    // Embedded in the tray host's panel: the one viewable window of that name.
    QList<WindowInfo> icons;
    if (!m_x.waitForWindows(QStringLiteral("Vellumbox"), 1, kWindowTimeoutMs, &icons))
        return {};
    return icons.first().geometry.center();
}

void TestShellE2e::chooseFromTrayMenu(int downs)
{
    tools::click(trayIcon(), 3);
    QTest::qWait(400);
    for (int i = 0; i < downs; ++i)
        tools::key(QStringLiteral("Down"));
    tools::key(QStringLiteral("Return"));
    QTest::qWait(200);
}

void TestShellE2e::leftClickStartsASelection()
{
    const QPoint icon = trayIcon();
    QVERIFY2(!icon.isNull(), "no tray icon");
    QVERIFY(tools::click(icon));
    QVERIFY2(m_x.waitForWindows(kSelection, 2, kWindowTimeoutMs), "no selection after a click");
    QVERIFY(tools::key(QStringLiteral("Escape")));
    QVERIFY(m_x.waitForNoWindow(kSelection, kWindowTimeoutMs));
    // A second click after a menu still captures.
    QVERIFY(tools::click(icon, 3));
    QTest::qWait(300);
    QVERIFY(tools::key(QStringLiteral("Escape")));
    QTest::qWait(200);
    QVERIFY(tools::click(icon));
    QVERIFY(m_x.waitForWindows(kSelection, 2, kWindowTimeoutMs));
    QVERIFY(tools::key(QStringLiteral("Escape")));
}

void TestShellE2e::menuLowersTheScreenshotsWhileOpen()
{
    WindowInfo a;
    WindowInfo b;
    QString why;
    QVERIFY2(capture(m_x, {200, 300}, {400, 400}, 1, &a, &why), qPrintable(why));
    QVERIFY2(capture(m_x, {600, 300}, {800, 400}, 2, &b, &why), qPrintable(why));
    QVERIFY(m_x.hasNetWmState(a.id, "_NET_WM_STATE_ABOVE"));
    QVERIFY(tools::click(trayIcon(), 3));
    QVERIFY2(waitUntil(
                 [&] {
                     return !m_x.hasNetWmState(a.id, "_NET_WM_STATE_ABOVE") &&
                            !m_x.hasNetWmState(b.id, "_NET_WM_STATE_ABOVE");
                 },
                 2000),
             "the screenshots stayed above the open menu");
    QVERIFY(tools::key(QStringLiteral("Escape")));
    QVERIFY2(waitUntil(
                 [&] {
                     return m_x.hasNetWmState(a.id, "_NET_WM_STATE_ABOVE") &&
                            m_x.hasNetWmState(b.id, "_NET_WM_STATE_ABOVE");
                 },
                 2000),
             "the screenshots did not float again after the menu");
    // Close All Screenshots, from the tray.
    QTest::qWait(300);
    chooseFromTrayMenu(2);
    QVERIFY(m_x.waitForNoWindow(kScreenshot, kWindowTimeoutMs));
}

void TestShellE2e::aboutTwiceGivesOneWindowAndQuitEnds()
{
    chooseFromTrayMenu(3);
    QVERIFY2(m_x.waitForWindows(kAbout, 1, kWindowTimeoutMs), "no about window");
    chooseFromTrayMenu(3);
    QTest::qWait(500);
    QCOMPARE(m_x.windowsNamed(kAbout).size(), 1);
    chooseFromTrayMenu(5); // Quit
    QVERIFY2(waitUntil([&] { return !m_app->isRunning(); }, 5000), "Quit left it running");
    QVERIFY(m_x.waitForNoWindow(kAbout, kWindowTimeoutMs));
}

void TestShellE2e::checkForUpdatesSaysThisBuildHasNoFeed()
{
    // Said at start, too: a build without a feed never checks by itself.
    QVERIFY(m_app->findLogLine(QRegularExpression(QStringLiteral("no update feed"))) >= 0);
    const QString kUpdate = QStringLiteral("Software Update");
    chooseFromTrayMenu(4);
    QVERIFY2(m_x.waitForWindows(kUpdate, 1, kWindowTimeoutMs), "no answer to Check for Updates");
    QTest::qWait(300);
    QVERIFY(tools::key(QStringLiteral("Return")));
    QVERIFY(m_x.waitForNoWindow(kUpdate, kWindowTimeoutMs));
}

void TestShellE2e::secondLaunchCapturesInTheFirst()
{
    for (const QStringList& arguments : {QStringList(), QStringList(QStringLiteral("--capture"))}) {
        AppProcess second;
        QString why;
        QVERIFY2(second.start(arguments, &why), qPrintable(why));
        QVERIFY2(second.process().waitForFinished(10000), "the second launch kept running");
        QCOMPARE(second.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.process().exitCode(), 0);
        QVERIFY(second.findLogLine(QRegularExpression(QStringLiteral("already running"))) >= 0);
        QVERIFY2(m_x.waitForWindows(kSelection, 2, kWindowTimeoutMs),
                 "the running instance did not start a capture");
        QVERIFY(tools::key(QStringLiteral("Escape")));
        QVERIFY(m_x.waitForNoWindow(kSelection, kWindowTimeoutMs));
        QVERIFY(m_app->isRunning());
    }
}

void TestShellE2e::firstRunWindowThenStartAtLogin()
{
    m_app.reset();
    QFile::remove(AppProcess::settingsPath());
    QFile::remove(autostartEntry());
    auto first = std::make_unique<AppProcess>();
    first->firstRun = true;
    QString why;
    QVERIFY2(first->start({}, &why), qPrintable(why));
    QList<WindowInfo> welcome;
    QVERIFY2(m_x.waitForWindows(kWelcome, 1, kWindowTimeoutMs, &welcome), "no first-run window");
    QVERIFY(alerts(m_x).isEmpty());
    QTest::qWait(kSettleMs);
    // "Get Started", centred in the band under the status row.
    const QRect frame = welcome.first().geometry;
    QCOMPARE(frame.size(), QSize(460, 420));
    QVERIFY(tools::click(frame.topLeft() + QPoint(230, 398)));
    QVERIFY2(waitUntil([&] { return alerts(m_x).size() == 1; }, kWindowTimeoutMs),
             "no start-at-login question");
    QTest::qWait(300);
    QVERIFY(tools::key(QStringLiteral("Return"))); // "Yes", the default answer
    QVERIFY(waitUntil([&] { return alerts(m_x).isEmpty(); }, kWindowTimeoutMs));
    QVERIFY(m_x.waitForNoWindow(kWelcome, kWindowTimeoutMs));

    QFile entry(autostartEntry());
    QVERIFY2(waitUntil([&] { return entry.exists(); }, 2000), "no autostart entry");
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(entry.readAll()).split(QLatin1Char('\n'));
    QVERIFY2(lines.contains(QStringLiteral("Exec=") +
                            QFileInfo(AppProcess::binaryPath()).canonicalFilePath()),
             qPrintable(lines.join(QLatin1Char('\n'))));

    // The next start is quiet: no first-run window, no question.
    first.reset();
    m_app = startApp(&why);
    QVERIFY2(m_app, qPrintable(why));
    QTest::qWait(1000);
    QVERIFY(m_x.windowsNamed(kWelcome).isEmpty());
    QVERIFY(alerts(m_x).isEmpty());
}

void TestShellE2e::withoutSessionBusTheHotkeyStillCaptures()
{
    m_app.reset();
    AppProcess lonely;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                       QStringLiteral("unix:path=/nonexistent/bus"));
    lonely.process().setProcessEnvironment(environment);
    QString why;
    QVERIFY2(lonely.start({}, &why), qPrintable(why));
    QVERIFY2(lonely.waitForLogLine(kRegistered, 15000), "the hot key was not registered");
    QVERIFY(lonely.findLogLine(QRegularExpression(QStringLiteral("No session bus"))) >= 0);
    QList<WindowInfo> selection;
    QVERIFY2(openSelection(m_x, &selection, &why), qPrintable(why));
    QVERIFY(tools::key(QStringLiteral("Escape")));
    QVERIFY(m_x.waitForNoWindow(kSelection, kWindowTimeoutMs));
}

QTEST_GUILESS_MAIN(TestShellE2e)
#include "tst_shell_e2e.moc"
