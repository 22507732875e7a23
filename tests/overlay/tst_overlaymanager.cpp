// SPDX-License-Identifier: GPL-3.0-or-later
#include "overlay/OverlayManager.h"
#include "overlay/ScreenshotOverlayPanel.h"
#include "overlay/ScreenshotOverlayView.h"
#include "platform/SystemColors.h"
#include "platform/fakes/FakePlatform.h"

#include <QTest>

using namespace vellumbox;
using namespace vellumbox::fakes;

namespace {

QImage picture(QSize size, qreal ratio = 1.0)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x & 0xff, y & 0xff, 90));
    image.setDevicePixelRatio(ratio);
    return image;
}

} // namespace

class TestOverlayManager : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void panelFloatsWhereTakenAndFadesIn();
    void closeAllFadesEveryPanelTogether();
    void removingKeepsTheOrderOfTheOthers();
    void panelCreatedDuringACloseAllSurvivesIt();
    void zoomAndRotateAnimateTheFrame();
    void zoomCentresOnWhereThePanelWasMoved();
    void viewShowsTheImageWithHardPixels();
    void borderFollowsThePin();
    void levelReturnsAfterLosingTheFocus();
    void shakeAndFlashLeaveNoTrace();
};

void TestOverlayManager::panelFloatsWhereTakenAndFadesIn()
{
    FakePlatform platform;
    OverlayManager manager(platform.services());
    ScreenshotOverlayPanel* panel =
        manager.createOverlay(picture({400, 300}), {100, 100, 400, 300});
    QCOMPARE(manager.overlays(), QList<ScreenshotOverlayPanel*>{panel});
    QCOMPARE(panel->geometry(), QRect(100, 100, 400, 300));
    QVERIFY(panel->isVisible());
    QVERIFY(panel->windowOpacity() < 1.0);
    QVERIFY(panel->testAttribute(Qt::WA_ShowWithoutActivating));
    QVERIFY(panel->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(panel->windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(panel->level(), WindowLevel::Floating);
    QCOMPARE(platform.windows.stickyWindows.size(), 1);
    QCOMPARE(platform.windows.stickyWindows.first().data(), panel->windowHandle());
    QTRY_COMPARE(panel->windowOpacity(), 1.0);
}

void TestOverlayManager::closeAllFadesEveryPanelTogether()
{
    FakePlatform platform;
    OverlayManager manager(platform.services());
    manager.closeAllOverlays(); // nothing to do
    QList<QPointer<ScreenshotOverlayPanel>> panels;
    for (int i = 0; i < 3; ++i)
        panels.append(manager.createOverlay(picture({20, 20}), {i * 30.0, 0, 20, 20}));
    QTRY_COMPARE(panels.first()->windowOpacity(), 1.0);
    manager.closeAllOverlays();
    // Still registered while they fade.
    QCOMPARE(manager.overlays().size(), 3);
    QTRY_VERIFY(manager.overlays().isEmpty());
    QTRY_VERIFY(!panels.at(0) && !panels.at(1) && !panels.at(2));
}

void TestOverlayManager::removingKeepsTheOrderOfTheOthers()
{
    FakePlatform platform;
    OverlayManager manager(platform.services());
    auto* a = manager.createOverlay(picture({20, 20}), {0, 0, 20, 20});
    auto* b = manager.createOverlay(picture({20, 20}), {30, 0, 20, 20});
    auto* c = manager.createOverlay(picture({20, 20}), {60, 0, 20, 20});
    manager.removeOverlay(b);
    QCOMPARE(manager.overlays(), (QList<ScreenshotOverlayPanel*>{a, c}));
    QVERIFY(!b->isVisible());
    // A panel no longer in the list is ignored.
    manager.removeOverlay(b);
    QCOMPARE(manager.overlays().size(), 2);
}

void TestOverlayManager::panelCreatedDuringACloseAllSurvivesIt()
{
    FakePlatform platform;
    OverlayManager manager(platform.services());
    manager.createOverlay(picture({20, 20}), {0, 0, 20, 20});
    manager.closeAllOverlays();
    auto* late = manager.createOverlay(picture({20, 20}), {30, 0, 20, 20});
    QTRY_COMPARE(manager.overlays(), QList<ScreenshotOverlayPanel*>{late});
    QTest::qWait(ScreenshotOverlayPanel::fadeOutMs + 50);
    QCOMPARE(manager.overlays(), QList<ScreenshotOverlayPanel*>{late});
    // Dismissing twice still removes it once.
    late->dismiss();
    late->dismiss();
    QTRY_VERIFY(manager.overlays().isEmpty());
}

void TestOverlayManager::zoomAndRotateAnimateTheFrame()
{
    FakePlatform platform;
    OverlayManager manager(platform.services());
    auto* panel = manager.createOverlay(picture({400, 300}), {100, 100, 400, 300});
    panel->setDisplayScale(1.5);
    QTRY_COMPARE(panel->geometry(), QRect(0, 25, 600, 450));
    panel->rotate(90);
    QCOMPARE(panel->rotationDegrees(), 90);
    QCOMPARE(panel->contentView()->displayedImage().size(), QSize(300, 400));
    QTRY_COMPARE(panel->geometry(), QRect(75, -50, 450, 600));
    panel->setDisplayScale(0.5);
    QCOMPARE(panel->displayScale(), 1.5);
}

void TestOverlayManager::zoomCentresOnWhereThePanelWasMoved()
{
    FakePlatform platform;
    OverlayManager manager(platform.services());
    auto* panel = manager.createOverlay(picture({100, 100}), {0, 0, 100, 100});
    panel->move(500, 400);
    panel->setDisplayScale(2.0);
    QTRY_COMPARE(panel->geometry(), QRect(450, 350, 200, 200));
}

void TestOverlayManager::viewShowsTheImageWithHardPixels()
{
    FakePlatform platform;
    platform.windows.compositing =
        false; // square corners in the view: the window's mask rounds them
    OverlayManager manager(platform.services());
    // 4 x 2 logical at scale 2, zoomed to 300 %: every image pixel becomes a 1.5-point block
    // with no blending between neighbours.
    QImage image(8, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            image.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    image.setDevicePixelRatio(2.0);
    auto* panel = manager.createOverlay(image, {0, 0, 40, 20});
    const QImage shown = panel->contentView()->grab().toImage();
    QCOMPARE(shown.size(), QSize(40, 20));
    // Each image pixel covers 5 x 5 view pixels; sample their centres and edges.
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) {
            const QRgb expected = image.pixel(x, y);
            QCOMPARE(shown.pixel(x * 5 + 2, y * 5 + 2), expected);
            QCOMPARE(shown.pixel(x * 5, y * 5 + 2), expected);
            QCOMPARE(shown.pixel(x * 5 + 4, y * 5 + 2), expected);
        }
    }
}

void TestOverlayManager::borderFollowsThePin()
{
    FakePlatform platform;
    OverlayManager manager(platform.services());
    auto* panel = manager.createOverlay(picture({100, 80}), {0, 0, 100, 80});
    ScreenshotOverlayView* view = panel->contentView();
    QVERIFY(!view->border());
    panel->setPinned(true);
    view->updateBorder();
    QVERIFY(view->border());
    QVERIFY(!view->border()->dashed);
    QCOMPARE(view->border()->path.boundingRect(), QRectF(1, 1, 98, 78));
    const QImage shown = view->grab().toImage();
    QCOMPARE(shown.pixel(50, 1), systemBlue().rgb());
    QCOMPARE(shown.pixel(1, 40), systemBlue().rgb());
    QCOMPARE(shown.pixel(50, 40), picture({100, 80}).pixel(50, 40));
    panel->setPinned(false);
    view->updateBorder();
    QVERIFY(!view->border());
}

void TestOverlayManager::levelReturnsAfterLosingTheFocus()
{
    FakePlatform platform;
    OverlayManager manager(platform.services());
    auto* panel = manager.createOverlay(picture({20, 20}), {0, 0, 20, 20});
    panel->activateWindow();
    QTRY_VERIFY(panel->isActiveWindow());
    panel->setLevel(WindowLevel::Normal);
    QVERIFY(!panel->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    QWidget other;
    other.show();
    other.activateWindow();
    QTRY_VERIFY(!panel->isActiveWindow());
    QCOMPARE(panel->level(), WindowLevel::Normal);
    QTRY_COMPARE(panel->level(), WindowLevel::Floating);
    QVERIFY(panel->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
}

void TestOverlayManager::shakeAndFlashLeaveNoTrace()
{
    FakePlatform platform;
    OverlayManager manager(platform.services());
    auto* panel = manager.createOverlay(picture({60, 40}), {10, 10, 60, 40});
    const QImage before = panel->contentView()->grab().toImage();
    panel->shake();
    QTRY_VERIFY_WITH_TIMEOUT(panel->contentView()->grab().toImage() != before,
                             ScreenshotOverlayPanel::shakeMs);
    QCOMPARE(panel->geometry(), QRect(10, 10, 60, 40));
    QTest::qWait(ScreenshotOverlayPanel::shakeMs);
    QCOMPARE(panel->contentView()->grab().toImage(), before);

    panel->flash();
    QCOMPARE(panel->contentView()->findChildren<QWidget*>().size(), 1);
    QVERIFY(panel->contentView()->grab().toImage().pixel(30, 20) != before.pixel(30, 20));
    QTRY_VERIFY(panel->contentView()->findChildren<QWidget*>().isEmpty());
    QCOMPARE(panel->contentView()->grab().toImage(), before);
}

QTEST_MAIN(TestOverlayManager)
#include "tst_overlaymanager.moc"
