// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/ScreenCaptureManager.h"
#include "capture/SelectionOverlayView.h"
#include "capture/SelectionOverlayWindow.h"
#include "overlay/OverlayManager.h"
#include "overlay/ScreenshotOverlayPanel.h"
#include "platform/fakes/FakePlatform.h"
#include "support/OverlayServices.h"

#include <QTest>

using namespace vellumbox;
using namespace vellumbox::fakes;
using namespace vellumbox::testing;

namespace {

struct Fixture {
    FakePlatform platform;
    OverlayManager overlays{overlayServices(platform)};
    std::unique_ptr<ScreenCaptureManager> manager;
    int permissionRequests = 0;

    Fixture()
    {
        platform.screens.screenList = twoScreens();
        platform.screens.cursor = QPoint(100, 100);
        manager = std::make_unique<ScreenCaptureManager>(
            ScreenCaptureManager::Services{platform.screens, platform.capture, platform.permission,
                                           platform.alerts, platform.cursor, platform.windows},
            overlays);
        manager->onPermissionMissing = [this] { ++permissionRequests; };
    }
    ~Fixture() { manager->closeSelectionWindows(); }
    Fixture(const Fixture&) = delete;
    Fixture& operator=(const Fixture&) = delete;

    SelectionOverlayWindow* window(int index) const
    {
        return manager->selectionWindows().at(static_cast<size_t>(index)).get();
    }
};

} // namespace

class TestScreenCaptureManager : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void coversEveryScreenOnce();
    void keyWindowFollowsThePointer_data();
    void keyWindowFollowsThePointer();
    void withoutPermissionOrScreensNothingShows();
    void cancellationClosesEverything();
    void completedSelectionFloatsTheCroppedPixels_data();
    void completedSelectionFloatsTheCroppedPixels();
    void aRefusalAsksForAccessInsteadOfFailing();
    void captureErrorShowsAnAlertWithPanelsLowered();
    void nothingToCaptureIsLoggedTwice_data();
    void nothingToCaptureIsLoggedTwice();
    void screensChangingDuringTheSelectionCancel();
    void withoutCompositorTheWindowsPaintTheScreen();
    void newSelectionDuringTheWaitKeepsTheEarlierCapture();
};

void TestScreenCaptureManager::coversEveryScreenOnce()
{
    Fixture f;
    f.manager->startCapture();
    QVERIFY(f.manager->isSelecting());
    QCOMPARE(f.manager->selectionWindows().size(), 2U);
    QCOMPARE(f.window(0)->geometry(), QRect(0, 0, 1920, 1080));
    QCOMPARE(f.window(1)->geometry(), QRect(1920, 0, 640, 512));
    QVERIFY(f.window(0)->isVisible() && f.window(1)->isVisible());
    QVERIFY(f.window(0)->windowFlags().testFlag(Qt::X11BypassWindowManagerHint));

    f.manager->startCapture();
    QCOMPARE(f.manager->selectionWindows().size(), 2U);
    QCOMPARE(f.platform.windows.grabCount, 1);
    // The drawn crosshair is made current at once and three more times shortly after.
    QTRY_COMPARE(f.platform.cursor.history.count(Qt::BitmapCursor), 4);
}

void TestScreenCaptureManager::keyWindowFollowsThePointer_data()
{
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<int>("key");
    QTest::newRow("on L") << QPoint(100, 100) << 0;
    QTest::newRow("on R") << QPoint(2000, 100) << 1;
    QTest::newRow("first column of R") << QPoint(1920, 0) << 1;
    QTest::newRow("on no screen") << QPoint(2000, 900) << 0;
}

void TestScreenCaptureManager::keyWindowFollowsThePointer()
{
    QFETCH(QPoint, pointer);
    QFETCH(int, key);
    Fixture f;
    f.platform.screens.cursor = pointer;
    f.manager->startCapture();
    QCOMPARE(f.platform.windows.grabbedWindow.data(), f.window(key)->windowHandle());
}

void TestScreenCaptureManager::withoutPermissionOrScreensNothingShows()
{
    Fixture f;
    f.platform.permission.granted = false;
    f.manager->startCapture();
    QVERIFY(!f.manager->isSelecting());
    QVERIFY(f.manager->selectionWindows().empty());
    QCOMPARE(f.permissionRequests, 1);
    QVERIFY(f.platform.capture.requests.isEmpty());

    // With access but no screen at all: a log line, and nothing is left selecting.
    f.platform.permission.granted = true;
    f.platform.screens.screenList.clear();
    QTest::ignoreMessage(QtCriticalMsg, "There is no screen to capture");
    f.manager->startCapture();
    QVERIFY(!f.manager->isSelecting());
    QVERIFY(f.manager->selectionWindows().empty());
}

void TestScreenCaptureManager::cancellationClosesEverything()
{
    Fixture f;
    f.manager->startCapture();
    QPointer<SelectionOverlayWindow> first = f.window(0);
    QPointer<SelectionOverlayWindow> second = f.window(1);
    QTest::keyClick(f.window(1)->view(), Qt::Key_Escape);
    QVERIFY(!f.manager->isSelecting());
    QVERIFY(f.manager->selectionWindows().empty());
    QVERIFY(!f.platform.windows.grabbedWindow);
    QVERIFY(!f.platform.cursor.overriding);
    QTRY_VERIFY(!first && !second);

    // A too-small drag cancels the same way, and nothing is captured afterwards.
    f.manager->startCapture();
    drag(f.window(0)->view(), {10, 10}, {14, 110});
    QVERIFY(!f.manager->isSelecting());
    QTest::qWait(ScreenCaptureManager::captureDelayMs + 50);
    QVERIFY(f.overlays.overlays().isEmpty());
}

void TestScreenCaptureManager::completedSelectionFloatsTheCroppedPixels_data()
{
    QTest::addColumn<int>("screen");
    QTest::addColumn<QRect>("dragged"); // in the screen's window
    QTest::addColumn<QRectF>("captured");
    QTest::addColumn<QPoint>("origin"); // of the crop in the screen's pixels
    QTest::addColumn<bool>("xwayland"); // the screen at 1x, the compositor's picture at 2x
    QTest::newRow("scale 1") << 0 << QRect(300, 200, 400, 300) << QRectF(300, 200, 400, 300)
                             << QPoint(300, 200) << false;
    QTest::newRow("scale 2, at full density")
        << 1 << QRect(10, 20, 100, 50) << QRectF(1930, 20, 100, 50) << QPoint(20, 40) << false;
    QTest::newRow("scale 2 shown at 1x, the compositor's density")
        << 1 << QRect(10, 20, 100, 50) << QRectF(1930, 20, 100, 50) << QPoint(20, 40) << true;
}

void TestScreenCaptureManager::completedSelectionFloatsTheCroppedPixels()
{
    QFETCH(int, screen);
    QFETCH(QRect, dragged);
    QFETCH(QRectF, captured);
    QFETCH(QPoint, origin);
    QFETCH(bool, xwayland);
    Fixture f;
    if (xwayland) {
        ScreenInfo& shown = f.platform.screens.screenList[screen];
        shown.devicePixelRatio = 1.0;
        shown.nativeGeometry = shown.geometry;
        f.platform.capture.scale = 2.0;
    }
    f.manager->startCapture();
    drag(f.window(screen)->view(), dragged.topLeft(),
         dragged.topLeft() + QPoint(dragged.width(), dragged.height()));
    // The windows are gone before anything is read, and the read waits.
    QVERIFY(f.manager->selectionWindows().empty());
    QVERIFY(f.platform.capture.requests.isEmpty());
    QTRY_COMPARE(f.overlays.overlays().size(), 1);
    const ScreenshotOverlayPanel* panel = f.overlays.overlays().first();
    QCOMPARE(panel->captureRect(), captured);
    QCOMPARE(panel->geometry(), captured.toRect());
    const QImage& image = panel->screenshotImage();
    const int ratio = screen + 1;
    QCOMPARE(image.size(), dragged.size() * ratio);
    QCOMPARE(image.devicePixelRatio(), qreal(ratio));
    for (const QPoint p :
         {QPoint(0, 0), QPoint(image.width() - 1, image.height() - 1), QPoint(13, 45)})
        QCOMPARE(image.pixel(p),
                 f.platform.capture.pixelAt(origin.x() + p.x(), origin.y() + p.y()));
    QCOMPARE(f.platform.capture.requests.last().name, twoScreens().at(screen).name);
}

void TestScreenCaptureManager::aRefusalAsksForAccessInsteadOfFailing()
{
    Fixture f;
    f.platform.capture.refuse = true;
    f.manager->captureRegion({0, 0, 50, 50}, twoScreens().first());
    QCOMPARE(f.permissionRequests, 1);
    QVERIFY(f.platform.alerts.shown.isEmpty());
    QVERIFY(f.overlays.overlays().isEmpty());
}

void TestScreenCaptureManager::captureErrorShowsAnAlertWithPanelsLowered()
{
    LogCapture log;
    Fixture f;
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::green);
    ScreenshotOverlayPanel* a = f.overlays.createOverlay(image, {0, 0, 10, 10});
    ScreenshotOverlayPanel* b = f.overlays.createOverlay(image, {20, 0, 10, 10});
    QList<WindowLevel> levelsWhileShown;
    f.platform.alerts.whileShown = [&](const Alert&) {
        levelsWhileShown = {a->level(), b->level()};
    };
    f.platform.capture.failWith = QStringLiteral("The display could not be read (X error 8).");

    f.manager->captureRegion({0, 0, 50, 50}, twoScreens().first());
    QCOMPARE(f.platform.alerts.shown.size(), 1);
    const Alert& alert = f.platform.alerts.shown.first();
    QCOMPARE(alert.message, QStringLiteral("Screenshot Failed"));
    QCOMPARE(alert.informativeText, QStringLiteral("The display could not be read (X error 8)."));
    QCOMPARE(alert.style, AlertStyle::Warning);
    QCOMPARE(levelsWhileShown, (QList<WindowLevel>{WindowLevel::Normal, WindowLevel::Normal}));
    QCOMPARE(a->level(), WindowLevel::Floating);
    QCOMPARE(b->level(), WindowLevel::Floating);
    QCOMPARE(f.overlays.overlays().size(), 2);
    QVERIFY(log.lines().contains(QStringLiteral("vellumbox.ScreenCapture: Screen capture failed: "
                                                "The display could not be read (X error 8).")));
}

void TestScreenCaptureManager::nothingToCaptureIsLoggedTwice_data()
{
    QTest::addColumn<bool>("screenGone");
    QTest::addColumn<QString>("reason");
    // Entirely left of the screen whose display is read.
    QTest::newRow("crop yields nothing") << false << QStringLiteral("Failed to crop image");
    QTest::newRow("screen gone during the wait")
        << true << QStringLiteral("Could not find matching display");
}

void TestScreenCaptureManager::nothingToCaptureIsLoggedTwice()
{
    QFETCH(bool, screenGone);
    QFETCH(QString, reason);
    LogCapture log;
    Fixture f;
    if (screenGone) {
        f.manager->startCapture();
        drag(f.window(1)->view(), {10, 20}, {110, 70});
        f.platform.screens.changeScreens({twoScreens().first()});
        QTest::qWait(ScreenCaptureManager::captureDelayMs + 100);
        QVERIFY(f.platform.capture.requests.isEmpty());
    } else {
        f.manager->captureRegion({-500, 10, 100, 100}, twoScreens().first());
    }
    QVERIFY(f.overlays.overlays().isEmpty());
    QVERIFY(f.platform.alerts.shown.isEmpty());
    QCOMPARE(log.lines(),
             (QStringList{QStringLiteral("vellumbox.ScreenCapture: ") + reason,
                          QStringLiteral("vellumbox.ScreenCapture: Capture returned nil image")}));
}

void TestScreenCaptureManager::screensChangingDuringTheSelectionCancel()
{
    Fixture f;
    f.manager->startCapture();
    f.platform.screens.changeScreens({twoScreens().first()});
    QVERIFY(!f.manager->isSelecting());
    QVERIFY(f.manager->selectionWindows().empty());
    // A new selection covers the screens there are now.
    f.manager->startCapture();
    QCOMPARE(f.manager->selectionWindows().size(), 1U);
}

void TestScreenCaptureManager::withoutCompositorTheWindowsPaintTheScreen()
{
    Fixture f;
    f.platform.windows.compositing = false;
    f.manager->startCapture();
    QCOMPARE(f.platform.capture.requests.size(), 2);
    QVERIFY(!f.window(0)->testAttribute(Qt::WA_TranslucentBackground));
    const QImage shown = f.window(0)->view()->grab(QRect(0, 0, 4, 4)).toImage();
    const QRgb screen = f.platform.capture.pixelAt(3, 3);
    QVERIFY(qAbs(qRed(shown.pixel(3, 3)) - qRed(screen) * 7 / 10) <= 2);

    f.manager->closeSelectionWindows();
    f.platform.windows.compositing = true;
    f.platform.capture.requests.clear();
    f.manager->startCapture();
    QVERIFY(f.platform.capture.requests.isEmpty());
    QVERIFY(f.window(0)->testAttribute(Qt::WA_TranslucentBackground));
}

void TestScreenCaptureManager::newSelectionDuringTheWaitKeepsTheEarlierCapture()
{
    Fixture f;
    f.manager->startCapture();
    // QTest reads a null point as the widget's centre: start at (1, 1).
    drag(f.window(0)->view(), {1, 1}, {51, 51});
    f.manager->startCapture();
    QVERIFY(f.manager->isSelecting());
    QTRY_COMPARE(f.overlays.overlays().size(), 1);
    QCOMPARE(f.overlays.overlays().first()->captureRect(), QRectF(1, 1, 50, 50));
    QVERIFY(f.manager->isSelecting());
    drag(f.window(0)->view(), {100, 100}, {160, 130});
    QTRY_COMPARE(f.overlays.overlays().size(), 2);
    QCOMPARE(f.overlays.overlays().last()->captureRect(), QRectF(100, 100, 60, 30));
}

QTEST_MAIN(TestScreenCaptureManager)
#include "tst_screencapturemanager.moc"
