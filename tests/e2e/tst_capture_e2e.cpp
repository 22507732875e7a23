// SPDX-License-Identifier: GPL-3.0-or-later
// The capture flow of the real binary, driven through the X server as a person would drive it.
#include "AppProcess.h"
#include "DesktopTools.h"
#include "Steps.h"
#include "TestPattern.h"
#include "XHarness.h"

#include <QFileInfo>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace e2e;
using namespace e2e::steps;

namespace {

const QRect kLeft(0, 0, 1920, 1080);
const QRect kRight(1920, 0, 1280, 1024); // 640 x 512 logical at scale 2
constexpr quint32 kKeysym9 = 0x39;
constexpr quint16 kCtrlShift = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT;

const QRegularExpression
    kGrabRefused(QStringLiteral(R"(^error vellumbox\.Hotkey: .*Ctrl\+Shift\+9)"));

} // namespace

class TestCaptureE2e : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void hotKeyDimsEveryScreen();
    void smallDragOrClickCancelsFiveByFiveCompletes();
    void screenshotShowsCapturedPixels_data();
    void screenshotShowsCapturedPixels();
    void secondHotKeyOpensNothing();
    void selectionCoversFloatingScreenshots();
    void hotKeyHeldElsewhereIsLogged();

private:
    bool startApp(QString* why);
    bool noScreenshotWithin(int ms);

    XHarness m_x;
    std::unique_ptr<AppProcess> m_app;
    bool m_keyGrabbed = false;
};

void TestCaptureE2e::initTestCase()
{
    const QString binary = AppProcess::binaryPath();
    QVERIFY2(QFileInfo(binary).isExecutable(),
             qPrintable(QStringLiteral("VELLUMBOX_BINARY \"%1\" is no executable").arg(binary)));
    QVERIFY2(m_x.isConnected(), "no X server: run under tests/e2e/session.sh");
    QCOMPARE(m_x.rootSize(), QSize(3200, 1080));
    const bool composited = m_x.selectionOwner("_NET_WM_CM_S0") != XCB_NONE;
    QCOMPARE(composited, qEnvironmentVariable("VELLUMBOX_E2E_COMPOSITOR") == QStringLiteral("1"));
    QVERIFY(m_x.setBackgroundPattern(0));
}

void TestCaptureE2e::init()
{
    if (m_x.backgroundVariant() != 0)
        QVERIFY(m_x.setBackgroundPattern(0));
    QVERIFY(m_x.waitForNoWindow(kSelection, kWindowTimeoutMs));
    QVERIFY(m_x.waitForNoWindow(kScreenshot, kWindowTimeoutMs));
    QVERIFY(tools::mouseMove(kParking));
}

void TestCaptureE2e::cleanup()
{
    // A failure in the middle of a drag must not leave the button down for the next test.
    if (QTest::currentTestFailed())
        tools::mouseUp(1);
    m_app.reset();
    if (m_keyGrabbed) {
        m_x.ungrabKey(kKeysym9, kCtrlShift);
        m_keyGrabbed = false;
    }
}

bool TestCaptureE2e::noScreenshotWithin(int ms)
{
    return !waitUntil([&] { return !m_x.windowsNamed(kScreenshot).isEmpty(); }, ms);
}

bool TestCaptureE2e::startApp(QString* why)
{
    m_app = steps::startApp(why);
    return m_app != nullptr;
}

void TestCaptureE2e::hotKeyDimsEveryScreen()
{
    QString why;
    QVERIFY2(startApp(&why), qPrintable(why));
    QList<WindowInfo> windows;
    QVERIFY2(openSelection(m_x, &windows, &why), qPrintable(why));
    QList<QRect> rects;
    for (const WindowInfo& w : windows) {
        QVERIFY(w.overrideRedirect);
        QVERIFY(!w.isReparented());
        rects.append(w.geometry);
    }
    std::sort(rects.begin(), rects.end(),
              [](const QRect& a, const QRect& b) { return a.x() < b.x(); });
    QCOMPARE(rects, (QList<QRect>{kLeft, kRight}));
    QVERIFY2(m_x.keyboardGrabbedElsewhere(), "the selection holds no keyboard grab");
    QVERIFY2(m_x.pointerGrabbedElsewhere(), "the selection holds no pointer grab");

    // Every screen shows its content under black at alpha 0.3, away from the pointer.
    QTest::qWait(300);
    const QList<QRect> patches = {QRect(100, 100, 64, 64),  QRect(1400, 150, 64, 64),
                                  QRect(150, 850, 64, 64),  QRect(2000, 120, 64, 64),
                                  QRect(3000, 900, 64, 64), QRect(2600, 500, 64, 64)};
    for (const QRect& patch : patches) {
        const QImage shown = m_x.grab(patch);
        const QImage expected = pattern::dimmed(pattern::image(0, patch), 0.3);
        const pattern::Diff d = pattern::compare(shown, expected, patch.topLeft(), {}, 3);
        QVERIFY2(d.equal(), qPrintable(QStringLiteral("patch at (%1,%2): %3")
                                           .arg(patch.x())
                                           .arg(patch.y())
                                           .arg(d.describe())));
    }

    QVERIFY(tools::key(QStringLiteral("Escape")));
    QVERIFY(m_x.waitForNoWindow(kSelection, kWindowTimeoutMs));
    QVERIFY2(waitUntil([&] { return !m_x.keyboardGrabbedElsewhere(); }, 2000),
             "the keyboard grab outlived the selection");
    QVERIFY2(waitUntil([&] { return !m_x.pointerGrabbedElsewhere(); }, 2000),
             "the pointer grab outlived the selection");
    // The screen is back to its undimmed content.
    for (const QRect& patch : patches) {
        QVERIFY(waitUntil(
            [&] {
                return pattern::compare(m_x.grab(patch), pattern::image(0, patch), patch.topLeft())
                    .equal();
            },
            2000));
    }
    QVERIFY(m_app->isRunning());
}

void TestCaptureE2e::smallDragOrClickCancelsFiveByFiveCompletes()
{
    QString why;
    QVERIFY2(startApp(&why), qPrintable(why));

    QVERIFY2(openSelection(m_x, nullptr, &why), qPrintable(why));
    QVERIFY(tools::drag(QPoint(300, 300), QPoint(304, 400)));
    QVERIFY(m_x.waitForNoWindow(kSelection, kWindowTimeoutMs));
    QVERIFY2(noScreenshotWithin(1000), "a 4 x 100 drag made a screenshot");

    QVERIFY2(openSelection(m_x, nullptr, &why), qPrintable(why));
    QVERIFY(tools::click(QPoint(600, 600)));
    QVERIFY(m_x.waitForNoWindow(kSelection, kWindowTimeoutMs));
    QVERIFY2(noScreenshotWithin(1000), "a click made a screenshot");

    WindowInfo shot;
    QVERIFY2(capture(m_x, QPoint(300, 300), QPoint(305, 305), 1, &shot, &why), qPrintable(why));
    QCOMPARE(shot.geometry, QRect(300, 300, 5, 5));
    QVERIFY(m_app->isRunning());
}

void TestCaptureE2e::screenshotShowsCapturedPixels_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<int>("cornerBand");
    QTest::newRow("left, scale 1") << QPoint(400, 200) << QPoint(717, 411) << 10;
    // Even offsets from the screen's origin: whole logical pixels at scale 2.
    QTest::newRow("right, scale 2") << QPoint(2220, 200) << QPoint(2540, 440) << 20;
}

void TestCaptureE2e::screenshotShowsCapturedPixels()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(int, cornerBand);
    const QRect dragged(from, QSize(to.x() - from.x(), to.y() - from.y()));

    QString why;
    QVERIFY2(startApp(&why), qPrintable(why));
    WindowInfo shot;
    QVERIFY2(capture(m_x, from, to, 1, &shot, &why), qPrintable(why));
    QCOMPARE(shot.geometry, dragged);
    // Managed by the window manager, without decorations.
    QVERIFY(!shot.overrideRedirect);
    QVERIFY(shot.isReparented());
    const std::optional<WindowInfo> frame = m_x.window(shot.topLevel);
    QVERIFY(frame);
    QCOMPARE(frame->geometry, shot.geometry);
    // Above ordinary windows, on every workspace, and never focused by being shown.
    QVERIFY(m_x.hasNetWmState(shot.id, "_NET_WM_STATE_ABOVE"));
    QCOMPARE(m_x.netWmDesktop(shot.id), std::optional<quint32>(0xFFFFFFFFU));
    const auto focus =
        xcb_get_input_focus_reply(m_x.connection(), xcb_get_input_focus(m_x.connection()), nullptr);
    QVERIFY(focus);
    const xcb_window_t focused = focus->focus;
    std::free(focus);
    QVERIFY(focused != shot.id && focused != shot.topLevel);

    QVERIFY(tools::mouseMove(kParking));
    QTest::qWait(kSettleMs);
    // With a different live screen, the window can only show what was captured.
    QVERIFY(m_x.setBackgroundPattern(1));
    const QImage shown = m_x.grab(dragged);
    const pattern::Diff d = pattern::compare(shown, pattern::image(0, dragged), dragged.topLeft(),
                                             pattern::corners(dragged, cornerBand));
    QVERIFY2(d.equal(), qPrintable(d.describe()));
    QVERIFY(m_app->isRunning());
}

void TestCaptureE2e::secondHotKeyOpensNothing()
{
    QString why;
    QVERIFY2(startApp(&why), qPrintable(why));
    QList<WindowInfo> first;
    QVERIFY2(openSelection(m_x, &first, &why), qPrintable(why));
    const qsizetype allBefore = m_x.windowsNamed(kSelection, false).size();

    QVERIFY(tools::key(QStringLiteral("ctrl+shift+9")));
    const bool changed = waitUntil(
        [&] {
            const QList<WindowInfo> now = m_x.windowsNamed(kSelection);
            return ids(now) != ids(first) ||
                   m_x.windowsNamed(kSelection, false).size() != allBefore;
        },
        1000);
    QVERIFY2(!changed, "the second hot key changed the selection windows");

    QVERIFY(tools::key(QStringLiteral("Escape")));
    QVERIFY(m_x.waitForNoWindow(kSelection, kWindowTimeoutMs));
    QVERIFY(m_app->isRunning());
}

void TestCaptureE2e::selectionCoversFloatingScreenshots()
{
    QString why;
    QVERIFY2(startApp(&why), qPrintable(why));
    WindowInfo a;
    QVERIFY2(capture(m_x, QPoint(200, 200), QPoint(500, 400), 1, &a, &why), qPrintable(why));
    WindowInfo b;
    QVERIFY2(capture(m_x, QPoint(2300, 500), QPoint(2500, 660), 2, &b, &why), qPrintable(why));
    QCOMPARE(a.geometry, QRect(200, 200, 300, 200));
    QCOMPARE(b.geometry, QRect(2300, 500, 200, 160));

    QList<WindowInfo> selection;
    QVERIFY2(openSelection(m_x, &selection, &why), qPrintable(why));
    const QList<WindowInfo> shots = m_x.windowsNamed(kScreenshot);
    QCOMPARE(shots.size(), 2);
    for (const WindowInfo& s : selection) {
        for (const WindowInfo& shot : shots) {
            QVERIFY2(s.stackIndex > shot.stackIndex,
                     qPrintable(QStringLiteral("selection window at stack index %1, screenshot "
                                               "frame at %2")
                                    .arg(s.stackIndex)
                                    .arg(shot.stackIndex)));
        }
    }

    QVERIFY(tools::key(QStringLiteral("Escape")));
    QVERIFY(m_x.waitForNoWindow(kSelection, kWindowTimeoutMs));
    QCOMPARE(ids(m_x.windowsNamed(kScreenshot)), (QSet<xcb_window_t>{a.id, b.id}));
}

void TestCaptureE2e::hotKeyHeldElsewhereIsLogged()
{
    QString why;
    QVERIFY2(m_x.grabKey(kKeysym9, kCtrlShift, &why), qPrintable(why));
    m_keyGrabbed = true;

    m_app = std::make_unique<AppProcess>();
    QVERIFY2(m_app->start({}, &why), qPrintable(why));
    QVERIFY2(m_app->waitForLogLine(kGrabRefused, 15000),
             qPrintable(m_app->logLines().join(QLatin1Char('\n'))));
    QCOMPARE(m_app->findLogLine(kRegistered), qsizetype(-1));
    QTest::qWait(1000);
    QVERIFY(m_app->isRunning());

    // The key stays with its holder.
    QVERIFY(tools::key(QStringLiteral("ctrl+shift+9")));
    QVERIFY(!waitUntil([&] { return !m_x.windowsNamed(kSelection).isEmpty(); }, 1000));
    QVERIFY(m_app->isRunning());
}

QTEST_GUILESS_MAIN(TestCaptureE2e)
#include "tst_capture_e2e.moc"
