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

    SelectionOverlayWindow* window(int index) const
    {
        return manager->selectionWindows().at(static_cast<size_t>(index)).get();
    }
};

} // namespace

class TestScreenCaptureManager : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void coversEveryScreenOnceWithTheKeyUnderThePointer_data();
    void coversEveryScreenOnceWithTheKeyUnderThePointer();
    void withoutPermissionOrScreensNothingShows();
    void cancellationOrNewScreensCloseEverything();
    void completedSelectionFloatsTheCroppedPixels_data();
    void completedSelectionFloatsTheCroppedPixels();
    void unreadableCapturesFloatNothing_data();
    void unreadableCapturesFloatNothing();
    void captureErrorShowsAnAlertWithPanelsLowered();
    void withoutCompositorTheWindowsPaintTheScreen();
    void newSelectionDuringTheWaitKeepsTheEarlierCapture();
};

void TestScreenCaptureManager::coversEveryScreenOnceWithTheKeyUnderThePointer_data()
{
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<int>("key");
    QTest::newRow("first column of R") << QPoint(1920, 0) << 1;
    QTest::newRow("on no screen") << QPoint(2000, 900) << 0;
}

void TestScreenCaptureManager::coversEveryScreenOnceWithTheKeyUnderThePointer()
{
    QFETCH(QPoint, pointer);
    QFETCH(int, key);
    Fixture f;
    f.platform.screens.cursor = pointer;
    f.manager->startCapture();
    QCOMPARE(f.platform.windows.grabbedWindow.data(), f.window(key)->windowHandle());
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

void TestScreenCaptureManager::cancellationOrNewScreensCloseEverything()
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

    // So do screens changing; a new selection covers the screens there are now.
    f.manager->startCapture();
    f.platform.screens.changeScreens({twoScreens().first()});
    QVERIFY(!f.manager->isSelecting());
    QVERIFY(f.manager->selectionWindows().empty());
    f.manager->startCapture();
    QCOMPARE(f.manager->selectionWindows().size(), 1U);
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

void TestScreenCaptureManager::unreadableCapturesFloatNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("permissionRequests");
    QTest::addColumn<QStringList>("logged");
    const QString nil = QStringLiteral("Capture returned nil image");
    // A refusal asks for access instead of failing.
    QTest::newRow("refused") << QStringLiteral("refuse") << 1
                             << QStringList{QStringLiteral(
                                    "The desktop refused to give the screen's picture")};
    QTest::newRow("nothing read") << QStringLiteral("nothing") << 0 << QStringList{nil};
    // Entirely left of the screen whose display is read.
    QTest::newRow("crop yields nothing")
        << QStringLiteral("crop") << 0 << QStringList{QStringLiteral("Failed to crop image"), nil};
    QTest::newRow("screen gone during the wait")
        << QStringLiteral("gone") << 0
        << QStringList{QStringLiteral("Could not find matching display"), nil};
    QTest::newRow("screen rescaled during the wait")
        << QStringLiteral("rescaled") << 0
        << QStringList{QStringLiteral("Could not find matching display"), nil};
}

void TestScreenCaptureManager::unreadableCapturesFloatNothing()
{
    QFETCH(QString, how);
    QFETCH(int, permissionRequests);
    QFETCH(QStringList, logged);
    LogCapture log;
    Fixture f;
    f.platform.capture.refuse = how == QStringLiteral("refuse");
    f.platform.capture.returnNothing = how == QStringLiteral("nothing");
    if (how == QStringLiteral("gone") || how == QStringLiteral("rescaled")) {
        f.manager->startCapture();
        drag(f.window(1)->view(), {10, 20}, {110, 70});
        QList<ScreenInfo> now = twoScreens();
        if (how == QStringLiteral("gone"))
            now.removeLast();
        else
            now.last().devicePixelRatio = 1.0;
        f.platform.screens.changeScreens(now);
        QTest::qWait(ScreenCaptureManager::captureDelayMs + 100);
        QVERIFY(f.platform.capture.requests.isEmpty());
    } else {
        f.manager->captureRegion(how == QStringLiteral("crop") ? QRectF(-500, 10, 100, 100)
                                                               : QRectF(0, 0, 50, 50),
                                 twoScreens().first());
    }
    QCOMPARE(f.permissionRequests, permissionRequests);
    QVERIFY(f.overlays.overlays().isEmpty());
    QVERIFY(f.platform.alerts.shown.isEmpty());
    for (QString& line : logged)
        line.prepend(QStringLiteral("vellumbox.ScreenCapture: "));
    QCOMPARE(log.lines(), logged);
}

void TestScreenCaptureManager::captureErrorShowsAnAlertWithPanelsLowered()
{
    LogCapture log;
    Fixture f;
    const QImage image = filledPicture({10, 10}, Qt::green);
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

void TestScreenCaptureManager::withoutCompositorTheWindowsPaintTheScreen()
{
    LogCapture log;
    Fixture f;
    f.platform.windows.compositing = false;
    f.manager->startCapture();
    QCOMPARE(f.platform.capture.requests.size(), 2);
    QVERIFY(!f.window(0)->testAttribute(Qt::WA_TranslucentBackground));
    const QImage shown = f.window(0)->view()->grab(QRect(0, 0, 4, 4)).toImage();
    const QRgb screen = f.platform.capture.pixelAt(3, 3);
    QVERIFY(qAbs(qRed(shown.pixel(3, 3)) - qRed(screen) * 7 / 10) <= 2);
    QVERIFY(log.lines().isEmpty());
    // A screen that cannot be read is logged, and the selection opens all the same.
    f.manager->closeSelectionWindows();
    f.platform.capture.failWith = QStringLiteral("no picture");
    f.manager->startCapture();
    QCOMPARE(f.manager->selectionWindows().size(), 2U);
    QCOMPARE(log.lines().count(QStringLiteral("vellumbox.ScreenCapture: Could not read the screen "
                                              "behind the selection: no picture")),
             2);

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
    QTRY_COMPARE(f.overlays.overlays().size(), 1);
    QCOMPARE(f.overlays.overlays().first()->captureRect(), QRectF(1, 1, 50, 50));
    QVERIFY(f.manager->isSelecting());
    drag(f.window(0)->view(), {100, 100}, {160, 130});
    QTRY_COMPARE(f.overlays.overlays().size(), 2);
    QCOMPARE(f.overlays.overlays().last()->captureRect(), QRectF(100, 100, 60, 30));
}

QTEST_MAIN(TestScreenCaptureManager)
#include "tst_screencapturemanager.moc"
