// SPDX-License-Identifier: GPL-3.0-or-later
// The selection, what it captures, more launches and the first run, driven through the X server
// as a person drives it.
#include "E2eTest.h"

#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTest>

#include <algorithm>
#include <cmath>

using namespace e2e;

namespace {

// The pattern under black at the given alpha, as the selection dims a screen.
QImage dimmed(const QRect& rect, double alpha)
{
    QImage image = pattern::image(0, rect);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const auto keep = [&](int c) { return int(std::lround(c * (1.0 - alpha))); };
            line[x] = qRgb(keep(qRed(line[x])), keep(qGreen(line[x])), keep(qBlue(line[x])));
        }
    }
    return image;
}

const QString kWelcome = QStringLiteral("Welcome to Vellumbox");

} // namespace

class TestCaptureE2e : public E2eTest {
    Q_OBJECT
private Q_SLOTS:
    void selectionDimsEveryScreenAndReleasesTheInput();
    void screenshotShowsTheCapturedPixels_data();
    void screenshotShowsTheCapturedPixels();
    void selectionCoversFloatingScreenshots();
    void secondLaunchCapturesInTheFirst_data();
    void secondLaunchCapturesInTheFirst();
    void launchFirstRunShowsWelcomeThenStartAtLogin();
    void launchWithoutSessionBusTheHotKeyCaptures();

private:
    bool escapeSelection()
    {
        return (key(QStringLiteral("Escape")) && m_x.waitForWindows(kSelection, 0)) ||
               fail(QStringLiteral("the selection stayed after Escape"));
    }
};

void TestCaptureE2e::selectionDimsEveryScreenAndReleasesTheInput()
{
    QList<WindowInfo> windows;
    CHECK_STEP(openSelection(&windows));
    QList<QRect> rects;
    for (const WindowInfo& w : std::as_const(windows)) {
        QVERIFY(w.overrideRedirect);
        rects.append(w.geometry);
    }
    std::sort(rects.begin(), rects.end(), [](QRect a, QRect b) { return a.x() < b.x(); });
    QCOMPARE(rects, (QList<QRect>{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)}));

    // Patches on both screens, away from the pointer.
    const QList<QRect> patches = {QRect(100, 100, 64, 64),  QRect(1400, 150, 64, 64),
                                  QRect(150, 850, 64, 64),  QRect(2000, 120, 64, 64),
                                  QRect(3000, 900, 64, 64), QRect(2600, 500, 64, 64)};
    QString wrong;
    const auto shows = [&](double alpha) {
        return std::all_of(patches.cbegin(), patches.cend(), [&](const QRect& p) {
            wrong = pattern::compare(m_x.grab(p), dimmed(p, alpha), p.topLeft(), {}, 3);
            return wrong.isEmpty();
        });
    };
    QVERIFY2(waitUntil([&] { return shows(0.3); }), qPrintable(wrong));

    CHECK_STEP(escapeSelection());
    QVERIFY2(waitUntil([&] { return !m_x.grabbedElsewhere(true); }), "the keyboard stayed grabbed");
    QVERIFY2(waitUntil([&] { return !m_x.grabbedElsewhere(false); }), "the pointer stayed grabbed");
    QVERIFY2(waitUntil([&] { return shows(0); }), qPrintable(wrong));
}

void TestCaptureE2e::screenshotShowsTheCapturedPixels_data()
{
    QTest::addColumn<QRect>("area");
    QTest::addColumn<int>("corner"); // rounded off, in device pixels
    QTest::newRow("scale 1") << QRect(400, 200, 317, 211) << 10;
    // Even offsets from the screen's origin: whole logical pixels at scale 2.
    QTest::newRow("scale 2") << QRect(2220, 200, 320, 240) << 20;
}

void TestCaptureE2e::screenshotShowsTheCapturedPixels()
{
    QFETCH(QRect, area);
    QFETCH(int, corner);
    WindowInfo shot;
    CHECK_STEP(capture(area, &shot));
    // Managed by the window manager, undecorated, above ordinary windows, on every workspace.
    QVERIFY(!shot.overrideRedirect);
    QVERIFY(shot.topLevel != shot.id);
    QCOMPARE(m_x.window(shot.topLevel).value_or(WindowInfo()).geometry, area);
    QVERIFY(m_x.property(shot.id, "_NET_WM_STATE").contains(m_x.atom("_NET_WM_STATE_ABOVE")));
    QCOMPARE(m_x.property(shot.id, "_NET_WM_DESKTOP"), QList<quint32>{0xFFFFFFFFU});

    // With another picture on the screen, the window can only show what was captured.
    CHECK_STEP(showBackground(pattern::image(1, QRect(QPoint(0, 0), m_x.rootSize()))));
    QRegion corners;
    for (const QPoint& at :
         {area.topLeft(), area.topRight(), area.bottomLeft(), area.bottomRight()})
        corners += QRect(at.x() - corner + 1, at.y() - corner + 1, corner * 2, corner * 2) & area;
    QString wrong;
    QVERIFY2(waitUntil([&] {
                 wrong = pattern::compare(m_x.grab(area), pattern::image(0, area), area.topLeft(),
                                          corners);
                 return wrong.isEmpty();
             }),
             qPrintable(wrong));
    QVERIFY2(!m_x.hasFocus(shot), "showing the screenshot took the focus");
}

void TestCaptureE2e::selectionCoversFloatingScreenshots()
{
    WindowInfo shot;
    CHECK_STEP(capture(QRect(200, 200, 300, 200), &shot));
    CHECK_STEP(capture(QRect(2300, 500, 200, 160), &shot));
    QList<WindowInfo> selection;
    CHECK_STEP(openSelection(&selection));
    const QList<WindowInfo> shots = m_x.windowsNamed(kScreenshot);
    QCOMPARE(shots.size(), 2);
    for (const WindowInfo& s : selection) {
        for (const WindowInfo& w : shots)
            QVERIFY2(s.stackIndex > w.stackIndex, "a screenshot above the selection");
    }
    CHECK_STEP(escapeSelection());
    QCOMPARE(m_x.windowsNamed(kScreenshot).size(), 2);
}

void TestCaptureE2e::secondLaunchCapturesInTheFirst_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("plain") << QStringList();
    QTest::newRow("--capture") << QStringList{QStringLiteral("--capture")};
}

void TestCaptureE2e::secondLaunchCapturesInTheFirst()
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

void TestCaptureE2e::launchFirstRunShowsWelcomeThenStartAtLogin()
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

void TestCaptureE2e::launchWithoutSessionBusTheHotKeyCaptures()
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

QTEST_GUILESS_MAIN(TestCaptureE2e)
#include "tst_capture_e2e.moc"
