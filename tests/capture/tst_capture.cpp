// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/CaptureGeometry.h"
#include "capture/ScreenCaptureManager.h"
#include "capture/SelectionCursor.h"
#include "capture/SelectionOverlayView.h"
#include "capture/SelectionOverlayWindow.h"
#include "overlay/OverlayManager.h"
#include "platform/SystemColors.h"
#include "support/UiSupport.h"

#include <QTest>

using namespace vellumbox;
using namespace vellumbox::fakes;
using namespace vellumbox::testing;

namespace {

struct CaptureFixture {
    FakePlatform platform;
    OverlayManager overlays{overlayServices(platform)};
    std::unique_ptr<ScreenCaptureManager> manager;
    int permissionRequests = 0;

    CaptureFixture()
    {
        platform.screens.screenList = twoScreens();
        platform.screens.cursor = QPoint(100, 100);
        manager = std::make_unique<ScreenCaptureManager>(
            ScreenCaptureManager::Services{platform.screens, platform.capture, platform.permission,
                                           platform.alerts, platform.cursor, platform.windows},
            overlays);
        manager->onPermissionMissing = [this] { ++permissionRequests; };
    }
    ~CaptureFixture() { manager->closeSelectionWindows(); }
    bool idle() const { return !manager->isSelecting() && manager->selectionWindows().empty(); }
    SelectionOverlayWindow* window(int index) const
    {
        return manager->selectionWindows().at(static_cast<size_t>(index)).get();
    }
};

// A 400 x 300 selection that keeps what it reports.
struct DragSelection {
    SelectionOverlayView view;
    QList<QRectF> completed;
    int cancelled = 0;

    explicit DragSelection(QImage picture = {})
        : view(std::move(picture), nullptr)
    {
        view.resize(400, 300);
        view.onSelectionComplete = [this](const QRectF& r) { completed.append(r); };
        view.onSelectionCancelled = [this] { ++cancelled; };
    }
};

} // namespace

class TestCapture : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void coversEveryScreenOnceWithTheKeyUnderThePointer_data()
    {
        columns<QPoint, int>({"pointer", "key"});
        QTest::newRow("first column of R") << QPoint(1920, 0) << 1;
        QTest::newRow("on no screen") << QPoint(2000, 900) << 0;
    }

    void coversEveryScreenOnceWithTheKeyUnderThePointer()
    {
        const auto [pointer, key] = fetch<QPoint, int>({"pointer", "key"});
        CaptureFixture f;
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

    // Without access or a screen nothing shows; Escape, a tiny drag or new screens end it.
    void nothingShowsWithoutAccessOrStaysAfterACancel()
    {
        CaptureFixture f;
        f.platform.permission.granted = false;
        f.manager->startCapture();
        QVERIFY(f.idle());
        QCOMPARE(f.permissionRequests, 1);
        QVERIFY(f.platform.capture.requests.isEmpty());
        // With access but no screen at all: a log line, and nothing is left selecting.
        f.platform.permission.granted = true;
        f.platform.screens.screenList.clear();
        QTest::ignoreMessage(QtCriticalMsg, "There is no screen to capture");
        f.manager->startCapture();
        QVERIFY(f.idle());

        // Escape closes every window and gives the input back.
        f.platform.screens.screenList = twoScreens();
        f.manager->startCapture();
        QPointer<SelectionOverlayWindow> first = f.window(0);
        QPointer<SelectionOverlayWindow> second = f.window(1);
        QTest::keyClick(f.window(1)->view(), Qt::Key_Escape);
        QVERIFY(f.idle());
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
        QVERIFY(f.idle());
        f.manager->startCapture();
        QCOMPARE(f.manager->selectionWindows().size(), 1U);
    }

    void completedSelectionFloatsTheCroppedPixels_data()
    {
        // dragged: in the screen's window; origin: of the crop in the screen's pixels;
        // xwayland: the screen at 1x, the compositor's picture at 2x.
        // parts: the display reads only the selection.
        columns<int, QRect, QRectF, QPoint, bool, bool>(
            {"screen", "dragged", "captured", "origin", "xwayland", "parts"});
        QTest::newRow("scale 1") << 0 << QRect(300, 200, 400, 300) << QRectF(300, 200, 400, 300)
                                 << QPoint(300, 200) << false << false;
        QTest::newRow("scale 2, at full density")
            << 1 << QRect(10, 20, 100, 50) << QRectF(1930, 20, 100, 50) << QPoint(20, 40) << false
            << false;
        QTest::newRow("scale 2 shown at 1x, the compositor's density")
            << 1 << QRect(10, 20, 100, 50) << QRectF(1930, 20, 100, 50) << QPoint(20, 40) << true
            << false;
        QTest::newRow("scale 1, the selection read alone")
            << 0 << QRect(300, 200, 400, 300) << QRectF(300, 200, 400, 300) << QPoint(300, 200)
            << false << true;
        QTest::newRow("scale 2, the selection read alone")
            << 1 << QRect(10, 20, 100, 50) << QRectF(1930, 20, 100, 50) << QPoint(20, 40) << false
            << true;
    }

    void completedSelectionFloatsTheCroppedPixels()
    {
        const auto [screen, dragged, captured, origin, xwayland, parts] =
            fetch<int, QRect, QRectF, QPoint, bool, bool>(
                {"screen", "dragged", "captured", "origin", "xwayland", "parts"});
        CaptureFixture f;
        f.platform.capture.readsParts = parts;
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

    void unreadableCapturesFloatNothing_data()
    {
        // alert: said with the floating screenshots lowered.
        columns<QString, QStringList, QString>({"how", "logged", "alert"});
        const QString nil = QStringLiteral("Capture returned nil image");
        // A refusal asks for access instead of failing.
        QTest::newRow("refused") << QStringLiteral("refuse")
                                 << QStringList{QStringLiteral(
                                        "The desktop refused to give the screen's picture")}
                                 << QString();
        QTest::newRow("nothing read") << QStringLiteral("nothing") << QStringList{nil} << QString();
        // Entirely left of the screen whose display is read.
        QTest::newRow("crop yields nothing")
            << QStringLiteral("crop") << QStringList{QStringLiteral("Failed to crop image"), nil}
            << QString();
        const QStringList noDisplay{QStringLiteral("Could not find matching display"), nil};
        QTest::newRow("screen gone during the wait")
            << QStringLiteral("gone") << noDisplay << QString();
        QTest::newRow("screen rescaled during the wait")
            << QStringLiteral("rescaled") << noDisplay << QString();
        const QString error = QStringLiteral("The display could not be read (X error 8).");
        QTest::newRow("failed") << QStringLiteral("fail")
                                << QStringList{QStringLiteral("Screen capture failed: ") + error}
                                << QStringLiteral("! Screenshot Failed: ") + error;
    }

    void unreadableCapturesFloatNothing()
    {
        auto [how, logged, alert] =
            fetch<QString, QStringList, QString>({"how", "logged", "alert"});
        LogCapture log;
        CaptureFixture f;
        const QImage image = filledPicture({10, 10}, Qt::green);
        ScreenshotOverlayPanel* a = f.overlays.createOverlay(image, {0, 0, 10, 10});
        ScreenshotOverlayPanel* b = f.overlays.createOverlay(image, {20, 0, 10, 10});
        f.platform.alerts.whileShown = [&](const Alert&) {
            QCOMPARE((QList{a->level(), b->level()}), QList<WindowLevel>(2, WindowLevel::Normal));
        };
        f.platform.capture.refuse = how == QStringLiteral("refuse");
        f.platform.capture.returnNothing = how == QStringLiteral("nothing");
        if (how == QStringLiteral("fail"))
            f.platform.capture.failWith =
                QStringLiteral("The display could not be read (X error 8).");
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
        QCOMPARE(f.permissionRequests, how == QStringLiteral("refuse") ? 1 : 0);
        QCOMPARE(f.overlays.overlays(), (QList{a, b}));
        QCOMPARE((QList{a->level(), b->level()}), QList<WindowLevel>(2, WindowLevel::Floating));
        QCOMPARE(alertTexts(f.platform.alerts),
                 alert.isEmpty() ? QStringList() : QStringList{alert});
        for (QString& line : logged)
            line.prepend(QStringLiteral("vellumbox.ScreenCapture: "));
        QCOMPARE(log.lines(), logged);
    }

    void withoutCompositorTheWindowsPaintTheScreen()
    {
        LogCapture log;
        CaptureFixture f;
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
        QCOMPARE(
            log.lines().count(QStringLiteral("vellumbox.ScreenCapture: Could not read the screen "
                                             "behind the selection: no picture")),
            2);

        f.manager->closeSelectionWindows();
        f.platform.windows.compositing = true;
        f.platform.capture.requests.clear();
        f.manager->startCapture();
        QVERIFY(f.platform.capture.requests.isEmpty());
        QVERIFY(f.window(0)->testAttribute(Qt::WA_TranslucentBackground));
    }

    void newSelectionDuringTheWaitKeepsTheEarlierCapture()
    {
        CaptureFixture f;
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

    void dragGivesTheRectangleOrCancels_data()
    {
        // completed: null when cancelled.
        columns<QPoint, QPoint, QRectF>({"from", "to", "completed"});
        QTest::newRow("5 x 5 completes")
            << QPoint(10, 10) << QPoint(15, 15) << QRectF(10, 10, 5, 5);
        QTest::newRow("4 x 100 cancels") << QPoint(10, 10) << QPoint(14, 110) << QRectF();
        QTest::newRow("100 x 4 cancels") << QPoint(10, 10) << QPoint(110, 14) << QRectF();
        QTest::newRow("up and left")
            << QPoint(120, 80) << QPoint(20, 30) << QRectF(20, 30, 100, 50);
        QTest::newRow("down and left")
            << QPoint(120, 30) << QPoint(20, 80) << QRectF(20, 30, 100, 50);
        QTest::newRow("leaving the screen is clamped")
            << QPoint(350, 250) << QPoint(900, -200) << QRectF(350, 0, 50, 250);
    }

    void dragGivesTheRectangleOrCancels()
    {
        const auto [from, to, completed] =
            fetch<QPoint, QPoint, QRectF>({"from", "to", "completed"});
        DragSelection s;
        drag(&s.view, from, to);
        QCOMPARE(s.completed, completed.isNull() ? QList<QRectF>() : QList<QRectF>{completed});
        QCOMPARE(s.cancelled, completed.isNull() ? 1 : 0);
        QVERIFY(!s.view.isDragging());
        QVERIFY(!s.view.currentSelection());
    }

    void dimsAllButTheSelectionUntilEscapeCancelsIt()
    {
        DragSelection s(filledPicture({400, 300}, qRgb(200, 100, 50)));
        const QRgb dimmed = qRgb(140, 70, 35); // 70 % of the picture under black at 0.3
        QVERIFY(near(s.view.grab().toImage().pixel(200, 150), dimmed));
        QTest::mousePress(&s.view, Qt::LeftButton, Qt::NoModifier, {100, 100});
        QTest::mouseMove(&s.view, {200, 180});
        QCOMPARE(s.view.currentSelection(), QRectF(100, 100, 100, 80));
        const QImage during = s.view.grab().toImage();
        QVERIFY(near(during.pixel(150, 140), qRgb(200, 100, 50))); // inside: the screen as it is
        QVERIFY(near(during.pixel(50, 50), dimmed) && near(during.pixel(250, 140), dimmed));
        // The 2-point border straddles the edge: one pixel inside, one outside.
        for (int x = 98; x <= 101; ++x)
            QCOMPARE(during.pixel(x, 140) == systemBlue().rgb(), x == 99 || x == 100);

        QTest::keyClick(&s.view, Qt::Key_Escape);
        QCOMPARE(s.cancelled, 1);
        QVERIFY(!s.view.currentSelection());
        QVERIFY(near(s.view.grab().toImage().pixel(150, 140), dimmed));
        // The release that follows finds no drag: another cancellation, never a completion.
        QTest::mouseRelease(&s.view, Qt::LeftButton, Qt::NoModifier, {200, 180});
        QVERIFY(s.completed.isEmpty());
        QCOMPARE(s.cancelled, 2);
        // A window nobody listens to yet has nothing to report to.
        SelectionOverlayWindow window(twoScreens().last(), {}, false);
        drag(window.view(), {10, 10}, {50, 50});
    }

    // The display examples, with each screen given in Qt's y-down desktop: a screen above the
    // primary one has a negative y, and a rectangle's y is its top edge.
    void screenCropRect_data()
    {
        columns<qreal, QRectF, QRectF, QRect>({"scale", "screen", "rect", "crop"});

        // Primary 1440 x 900 at 2x; the rectangle's top is 900 - 200.5 - 150.25 = 549.25.
        QTest::newRow("retina, half pixels round away from zero")
            << 2.0 << QRectF(0, 0, 1440, 900) << QRectF(100.25, 549.25, 300.5, 150.25)
            << QRect(201, 1099, 601, 301);
        // A 1080-high screen to the left of a 1080-high primary.
        QTest::newRow("screen left of the primary")
            << 1.0 << QRectF(-1920, 0, 1920, 1080) << QRectF(-1500, 580, 400, 200)
            << QRect(420, 580, 400, 200);
        // A 1280 x 800 screen standing on top of a 900-high primary.
        QTest::newRow("screen above the primary")
            << 2.0 << QRectF(0, -800, 1280, 800) << QRectF(50, -150, 200, 100)
            << QRect(100, 1300, 400, 200);
        QTest::newRow("negative half rounds away from zero")
            << 1.5 << QRectF(0, 0, 100, 100) << QRectF(-1, 1, 3, 5) << QRect(-2, 2, 5, 8);
    }

    void screenCropRect()
    {
        const auto [scale, screen, rect, crop] =
            fetch<qreal, QRectF, QRectF, QRect>({"scale", "screen", "rect", "crop"});
        QCOMPARE(pixelCropRect(rect, screen, scale), crop);
    }

    void pointsSnapToWholePointsOnTheirScreen()
    {
        QCOMPARE(snapToLogicalPixel({10.5, 20.49}), QPointF(11, 20));
        QCOMPARE(snapToLogicalPixel({-0.5, 3.0}), QPointF(-1, 3));
        const QList<QRect> screens{{0, 0, 1920, 1080}, {1920, 0, 640, 512}};
        QCOMPARE(screenIndexAt(screens, {1919, 1079}), 0);
        QCOMPARE(screenIndexAt(screens, {2559, 511}), 1);
        QCOMPARE(screenIndexAt(screens, {-1, 5}), -1);
        QCOMPARE(screenIndexAt({}, {0, 0}), -1);
    }

    void crosshairLeavesAGapAroundTheHotSpot()
    {
        const QImage image =
            selectionCrosshairPixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), QSize(32, 32));
        QCOMPARE(selectionCrosshairCursor().hotSpot(), QPoint(16, 16));
        const auto alpha = [&image](QPoint p) { return qAlpha(image.pixel(p)); };
        // The hot spot and the gap round it are clear, and so is all beyond the arms' round
        // ends; those ends reach the gap's edge and the arms' tips.
        for (const QPoint p : {QPoint(15, 15), QPoint(16, 16), QPoint(15, 16), QPoint(16, 15),
                               QPoint(16, 3), QPoint(29, 16), QPoint(0, 0)})
            QCOMPARE(alpha(p), 0);
        for (const QPoint p :
             {QPoint(14, 16), QPoint(17, 16), QPoint(16, 14), QPoint(16, 17), QPoint(16, 6)})
            QVERIFY(alpha(p) > 0);
        // Each of the four arms is opaque and dark along its middle...
        for (const QPoint p : {QPoint(16, 9), QPoint(9, 16), QPoint(22, 16), QPoint(16, 22)}) {
            QCOMPARE(alpha(p), 255);
            QVERIFY2(qGray(image.pixel(p)) < 110,
                     qPrintable(QString::number(qGray(image.pixel(p)))));
        }
        // ...inside a white edge that shows it on dark screens.
        QCOMPARE(qGray(image.pixel(14, 9)), 255);
        QCOMPARE(qGray(image.pixel(17, 9)), 255);
        QVERIFY(alpha({14, 9}) > 100);
    }
};

QTEST_MAIN(TestCapture)
#include "tst_capture.moc"
