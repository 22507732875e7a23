// SPDX-License-Identifier: GPL-3.0-or-later
// The tray icon, the about window, more launches and the first run, as a person meets them.
#include "E2eTest.h"

#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTest>

using namespace e2e;

namespace {

const QString kAbout = QStringLiteral("About Vellumbox");
const QString kWelcome = QStringLiteral("Welcome to Vellumbox");

} // namespace

class TestShellE2e : public E2eTest {
    Q_OBJECT
private Q_SLOTS:
    void trayLeftClickStartsASelection();
    void trayMenuLowersTheScreenshotsAndClosesThem();
    void secondLaunchCapturesInTheFirst_data();
    void secondLaunchCapturesInTheFirst();
    void aboutThenQuit();
    void launchFirstRunShowsWelcomeThenStartAtLogin();
    void launchWithoutSessionBusTheHotKeyCaptures();

private:
    // Embedded in the tray host's panel: the one window of that name while no alert is up.
    bool trayIcon(QPoint* at)
    {
        QList<WindowInfo> icons;
        if (!m_x.waitForWindows(QStringLiteral("Vellumbox"), 1, &icons))
            return fail(QStringLiteral("%1 tray icons").arg(icons.size()));
        *at = icons.first().geometry.center();
        return true;
    }
    bool escapeSelection()
    {
        return (key(QStringLiteral("Escape")) && m_x.waitForWindows(kSelection, 0)) ||
               fail(QStringLiteral("the selection stayed after Escape"));
    }
};

void TestShellE2e::trayLeftClickStartsASelection()
{
    QPoint icon;
    CHECK_STEP(trayIcon(&icon));
    QVERIFY(click(icon));
    CHECK_STEP(awaitSelection());
    CHECK_STEP(escapeSelection());
    // So it does after the menu has been opened and dismissed.
    CHECK_STEP(chooseFromMenu(icon, 0, {QStringLiteral("Escape")}));
    QVERIFY(click(icon));
    CHECK_STEP(awaitSelection());
    CHECK_STEP(escapeSelection());
}

void TestShellE2e::trayMenuLowersTheScreenshotsAndClosesThem()
{
    WindowInfo a;
    WindowInfo b;
    CHECK_STEP(capture(QRect(200, 300, 200, 100), &a));
    CHECK_STEP(capture(QRect(600, 300, 200, 100), &b));
    const auto above = [&](bool expected) {
        const xcb_atom_t state = m_x.atom("_NET_WM_STATE_ABOVE");
        return m_x.property(a.id, "_NET_WM_STATE").contains(state) == expected &&
               m_x.property(b.id, "_NET_WM_STATE").contains(state) == expected;
    };
    QVERIFY(above(true));
    QPoint icon;
    CHECK_STEP(trayIcon(&icon));
    CHECK_STEP(chooseFromMenu(icon, 0, {}));
    QVERIFY2(waitUntil([&] { return above(false); }), "they stayed above the open menu");
    QVERIFY(key(QStringLiteral("Escape")));
    QVERIFY2(waitUntil([&] { return above(true); }), "they did not float again after the menu");
    CHECK_STEP(chooseFromMenu(icon, 2)); // Close All Screenshots
    QVERIFY(m_x.waitForWindows(kScreenshot, 0));
}

void TestShellE2e::secondLaunchCapturesInTheFirst_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("plain") << QStringList();
    QTest::newRow("--capture") << QStringList{QStringLiteral("--capture")};
}

void TestShellE2e::secondLaunchCapturesInTheFirst()
{
    QFETCH(QStringList, arguments);
    AppProcess second;
    QVERIFY2(second.start(arguments, &m_why), qPrintable(m_why));
    QVERIFY2(second.process.waitForFinished(30000), "the second launch kept running");
    QCOMPARE(second.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.process.exitCode(), 0);
    QVERIFY(second.hasLine(QStringLiteral("already running")));
    CHECK_STEP(awaitSelection());
    CHECK_STEP(escapeSelection());
}

void TestShellE2e::aboutThenQuit()
{
    QPoint icon;
    CHECK_STEP(trayIcon(&icon));
    CHECK_STEP(chooseFromMenu(icon, 3));
    QVERIFY2(m_x.waitForWindows(kAbout, 1), "no about window");
    CHECK_STEP(chooseFromMenu(icon, 5));
    QVERIFY2(waitUntil([&] { return !m_app->isRunning(); }), "Quit left it running");
    QCOMPARE(m_app->process.exitStatus(), QProcess::NormalExit);
    QVERIFY(m_x.waitForWindows(kAbout, 0));
}

void TestShellE2e::launchFirstRunShowsWelcomeThenStartAtLogin()
{
    const QString autostart = qEnvironmentVariable("XDG_CONFIG_HOME") +
                              QStringLiteral("/autostart/org.vellumbox.Vellumbox.desktop");
    QFile::remove(settingsPath());
    QFile::remove(autostart);
    AppProcess first;
    QVERIFY2(first.start({}, &m_why), qPrintable(m_why));
    QList<WindowInfo> welcome;
    QVERIFY2(m_x.waitForWindows(kWelcome, 1, &welcome), "no first-run window");
    QVERIFY(waitUntil([&] { return m_x.hasFocus(welcome.first()); }));
    QVERIFY(alerts().isEmpty());
    // "Get Started", centred in the band under the status row.
    const QRect frame = m_x.window(welcome.first().id).value_or(WindowInfo()).geometry;
    QCOMPARE(frame.size(), QSize(460, 420));
    QVERIFY(click(frame.topLeft() + QPoint(230, 398)));
    CHECK_STEP(dismissAlert()); // "Yes", the default answer to starting at login
    QVERIFY(m_x.waitForWindows(kWelcome, 0));
    QFile entry(autostart);
    QVERIFY2(waitUntil([&] { return entry.exists(); }), "no autostart entry");
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QString exec = QStringLiteral("Exec=") +
                         QFileInfo(qEnvironmentVariable("VELLUMBOX_BINARY")).canonicalFilePath();
    QVERIFY2(QString::fromUtf8(entry.readAll()).split(QLatin1Char('\n')).contains(exec),
             qPrintable(exec));
}

void TestShellE2e::launchWithoutSessionBusTheHotKeyCaptures()
{
    AppProcess lonely;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                       QStringLiteral("unix:path=/nonexistent/bus"));
    lonely.process.setProcessEnvironment(environment);
    CHECK_STEP(startApp(lonely));
    QVERIFY(lonely.hasLine(QStringLiteral("No session bus")));
    CHECK_STEP(openSelection());
    CHECK_STEP(escapeSelection());
}

QTEST_GUILESS_MAIN(TestShellE2e)
#include "tst_shell_e2e.moc"
