// SPDX-License-Identifier: GPL-3.0-or-later
// The tray icon as a person uses it: a left click to capture, the menu with a right click.
#include "DesktopTools.h"
#include "Steps.h"
#include "TestPattern.h"

#include <QTest>

using namespace e2e;
using namespace e2e::steps;

namespace {

const QString kAbout = QStringLiteral("About Vellumbox");

} // namespace

class TestShellE2e : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void leftClickStartsASelection();
    void menuLowersTheScreenshotsWhileOpen();
    void aboutTwiceGivesOneWindowAndQuitEnds();

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

QTEST_GUILESS_MAIN(TestShellE2e)
#include "tst_shell_e2e.moc"
