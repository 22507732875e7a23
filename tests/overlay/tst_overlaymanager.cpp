// SPDX-License-Identifier: GPL-3.0-or-later
#include "overlay/LoweredPanels.h"
#include "overlay/OverlayManager.h"
#include "support/OverlayServices.h"

#include <QTest>

using namespace vellumbox;
using namespace vellumbox::fakes;
using namespace vellumbox::testing;

class TestOverlayManager : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void removingKeepsTheOrderOfTheOthers();
    void panelCreatedDuringACloseAllSurvivesIt();
    void loweredWhileTheGuardLives();
};

void TestOverlayManager::removingKeepsTheOrderOfTheOthers()
{
    FakePlatform platform;
    OverlayManager manager(overlayServices(platform));
    manager.closeAllOverlays(); // nothing to do
    const QImage picture = positionPicture({20, 20});
    auto* a = manager.createOverlay(picture, {0, 0, 20, 20});
    QPointer<ScreenshotOverlayPanel> b = manager.createOverlay(picture, {30, 0, 20, 20});
    auto* c = manager.createOverlay(picture, {60, 0, 20, 20});
    manager.removeOverlay(b);
    QCOMPARE(manager.overlays(), (QList<ScreenshotOverlayPanel*>{a, c}));
    // A panel no longer in the list is ignored, and deleted once the event loop runs.
    manager.removeOverlay(b);
    QCOMPARE(manager.overlays().size(), 2);
    QTRY_VERIFY(!b);
}

void TestOverlayManager::panelCreatedDuringACloseAllSurvivesIt()
{
    FakePlatform platform;
    OverlayManager manager(overlayServices(platform));
    manager.createOverlay(positionPicture({20, 20}), {0, 0, 20, 20});
    manager.closeAllOverlays();
    auto* late = manager.createOverlay(positionPicture({20, 20}), {30, 0, 20, 20});
    QTRY_COMPARE(manager.overlays(), QList<ScreenshotOverlayPanel*>{late});
    QTest::qWait(ScreenshotOverlayPanel::fadeOutMs * 2);
    QCOMPARE(manager.overlays(), QList<ScreenshotOverlayPanel*>{late});
    // Dismissing twice still removes it once.
    late->dismiss();
    late->dismiss();
    QTRY_VERIFY(manager.overlays().isEmpty());
}

void TestOverlayManager::loweredWhileTheGuardLives()
{
    FakePlatform platform;
    OverlayManager manager(overlayServices(platform));
    auto* a = manager.createOverlay(positionPicture({20, 20}), {0, 0, 20, 20});
    QPointer<ScreenshotOverlayPanel> b =
        manager.createOverlay(positionPicture({20, 20}), {30, 0, 20, 20});
    const auto onTop = [](ScreenshotOverlayPanel* panel) {
        return panel->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
    };
    {
        const std::shared_ptr<void> guard = a->lowerAllPanels();
        QCOMPARE(a->level(), WindowLevel::Normal);
        QCOMPARE(b->level(), WindowLevel::Normal);
        QVERIFY(!onTop(a) && !onTop(b));
        // A panel that goes meanwhile is simply not lifted again.
        manager.removeOverlay(b);
        QTRY_VERIFY(!b);
    }
    QCOMPARE(a->level(), WindowLevel::Floating);
    QVERIFY(onTop(a));
}

QTEST_MAIN(TestOverlayManager)
#include "tst_overlaymanager.moc"
