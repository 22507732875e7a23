// SPDX-License-Identifier: GPL-3.0-or-later
#include "annotation/AnnotationCanvas.h"
#include "overlay/OverlayManager.h"
#include "overlay/ScreenshotOverlayPanel.h"
#include "overlay/ScreenshotOverlayView.h"
#include "platform/fakes/FakePlatform.h"

#include <QMenu>
#include <QTest>

using namespace vellumbox;
using namespace vellumbox::fakes;
using Tool = AnnotationToolType;

namespace {

struct Fixture {
    FakePlatform platform;
    OverlayManager manager{platform.services()};
    QPointer<ScreenshotOverlayPanel> panel;
    ScreenshotOverlayView* view = nullptr;

    explicit Fixture(QSize size = {200, 100})
    {
        QImage white(size, QImage::Format_RGB32);
        white.fill(Qt::white);
        panel = manager.createOverlay(white, QRectF(QPointF(50, 50), QSizeF(size)));
        view = panel->contentView();
    }
    void draw(QPoint from, QPoint to)
    {
        AnnotationCanvas* canvas = view->annotationCanvas();
        QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(canvas, (from + to) / 2);
        QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, to);
    }
};

bool isRed(QRgb p)
{
    return qRed(p) > 200 && qGreen(p) < 80 && qBlue(p) < 80;
}

} // namespace

class TestEditMode : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void monitorsAreInstalledOnceAndAlwaysRemoved();
    void escapeAnywhereEndsEditModeAndIsSwallowed();
    void annotationsOutliveEditModeAndClicksCloseAgain();
    void undoAndClearEdits();
    void flatteningDrawsAtThePixelSizeOnTheRotatedGrid();
    void flatteningWithAndWithoutTheLayerAgree();
};

void TestEditMode::monitorsAreInstalledOnceAndAlwaysRemoved()
{
    Fixture f;
    f.view->enterEditMode(Tool::pencil);
    f.view->enterEditMode(Tool::arrow);
    QCOMPARE(f.platform.globalInput.subscriptions, 1);
    QCOMPARE(f.platform.globalInput.handlers.size(), 1U);
    QCOMPARE(f.view->annotationCanvas()->activeTool(), std::optional(Tool::arrow));
    QVERIFY(f.panel->isInEditMode());
    QVERIFY(f.view->border() && f.view->border()->dashed);
    // The Edit submenu offers to leave only while editing.
    QCOMPARE(f.view->contextMenu()->actions().at(10)->menu()->actions().size(), 8);
    f.view->exitEditMode();
    QVERIFY(f.platform.globalInput.handlers.empty());
    QCOMPARE(f.view->contextMenu()->actions().at(10)->menu()->actions().size(), 7);
    QVERIFY(!f.view->border());

    // Closing a screenshot in edit mode removes them too.
    f.view->enterEditMode(Tool::square);
    QCOMPARE(f.platform.globalInput.handlers.size(), 1U);
    f.manager.closeAllOverlays();
    QVERIFY(f.platform.globalInput.handlers.empty());
    QTRY_VERIFY(!f.panel);

    // A desktop that refuses to report other applications' input: edit mode still works.
    Fixture refused;
    refused.platform.globalInput.refuse = true;
    refused.view->enterEditMode(Tool::circle);
    QVERIFY(refused.view->isEditing());
}

void TestEditMode::escapeAnywhereEndsEditModeAndIsSwallowed()
{
    Fixture f;
    QWidget elsewhere;
    int keysElsewhere = 0;
    struct Counter : QObject {
        int* count;
        explicit Counter(int* c)
            : count(c)
        {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::KeyPress)
                ++*count;
            return false;
        }
    } counter(&keysElsewhere);
    elsewhere.installEventFilter(&counter);
    f.view->enterEditMode(Tool::pencil);
    // In this application, even in another window: swallowed before it arrives there.
    QTest::keyClick(&elsewhere, Qt::Key_Escape);
    QVERIFY(!f.view->isEditing());
    QCOMPARE(keysElsewhere, 0);
    // Outside edit mode nothing is watched.
    QTest::keyClick(&elsewhere, Qt::Key_Escape);
    QCOMPARE(keysElsewhere, 1);

    // In another application: ended from the event loop.
    f.view->enterEditMode(Tool::pencil);
    f.platform.globalInput.send(GlobalInput::EscapePressed);
    QVERIFY(f.view->isEditing());
    QTRY_VERIFY(!f.view->isEditing());
}

void TestEditMode::annotationsOutliveEditModeAndClicksCloseAgain()
{
    Fixture f;
    f.view->enterEditMode(Tool::square);
    f.draw({20, 20}, {120, 80});
    QCOMPARE(f.view->annotationCanvas()->annotations().size(), 1);
    // A short click while editing draws instead of closing.
    QCOMPARE(f.manager.overlays().size(), 1);
    QTest::keyClick(f.view, Qt::Key_Escape);
    QVERIFY(!f.view->isEditing());
    QCOMPARE(f.view->annotationCanvas()->annotations().size(), 1);
    QVERIFY(isRed(f.view->grab().toImage().pixel(20, 50)));
    QCOMPARE(f.view->cursor().shape(), Qt::OpenHandCursor);
    // The canvas lets the mouse through: a short click closes the screenshot again.
    QCOMPARE(f.view->childAt(60, 50), nullptr);
    QTest::mouseClick(f.view, Qt::LeftButton, Qt::NoModifier, {60, 50});
    QTRY_VERIFY(f.manager.overlays().isEmpty());
}

void TestEditMode::undoAndClearEdits()
{
    Fixture f;
    f.view->enterEditMode(Tool::pencil);
    f.draw({10, 10}, {50, 50});
    f.draw({60, 10}, {90, 50});
    QTest::keyClick(f.view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.view->annotationCanvas()->annotations().size(), 1);
    f.view->exitEditMode();
    // Clear Edits works outside edit mode and does not enter it.
    f.view->contextMenu()->actions().at(10)->menu()->actions().at(6)->trigger();
    QVERIFY(f.view->annotationCanvas()->annotations().isEmpty());
    QVERIFY(!f.view->isEditing());
    // An action other than close leaves edit mode first; the marks stay and are exported.
    f.view->enterEditMode(Tool::highlight);
    f.draw({10, 10}, {100, 60});
    QTest::keyClick(f.view, Qt::Key_C, Qt::ControlModifier);
    QVERIFY(!f.view->isEditing());
    // Yellow at 0.3 on white.
    QVERIFY(qAbs(qBlue(f.platform.clipboard.image.pixel(50, 30)) - 178) <= 1);
}

void TestEditMode::flatteningDrawsAtThePixelSizeOnTheRotatedGrid()
{
    // 600 x 450: the exported line is 6 pixels wide.
    Fixture f({600, 450});
    f.view->enterEditMode(Tool::pencil);
    f.draw({100, 225}, {500, 225});
    f.view->exitEditMode();
    const QImage flat = f.view->flattenedImage();
    int thickness = 0;
    for (int y = 200; y < 250; ++y)
        thickness += isRed(flat.pixel(300, y)) ? 1 : 0;
    QCOMPARE(thickness, 6);

    // Turned by 90 degrees, a mark drawn near the top left of what is shown lands there in
    // the flattened (rotated) image.
    Fixture turned({300, 200});
    turned.panel->rotate(90);
    QTRY_COMPARE(turned.view->size(), QSize(200, 300));
    turned.view->enterEditMode(Tool::square);
    turned.draw({20, 20}, {60, 80});
    const QImage rotated = turned.view->flattenedImage();
    QCOMPARE(rotated.size(), QSize(200, 300));
    QVERIFY(isRed(rotated.pixel(20, 50)));
    QVERIFY(!isRed(rotated.pixel(150, 250)));
    // The annotation in progress is not exported.
    QTest::mousePress(turned.view->annotationCanvas(), Qt::LeftButton, Qt::NoModifier, {150, 250});
    QTest::mouseMove(turned.view->annotationCanvas(), {190, 290});
    QVERIFY(!isRed(turned.view->flattenedImage().pixel(150, 270)));
}

void TestEditMode::flatteningWithAndWithoutTheLayerAgree()
{
    // Zoomed to 200 % the canvas no longer matches the image's pixels: every mark is drawn
    // afresh. Back at 100 % the canvas's layer is used. Both give the same picture.
    Fixture f({240, 160});
    f.view->enterEditMode(Tool::highlight);
    f.draw({20, 20}, {180, 120});
    f.view->enterEditMode(Tool::arrow);
    f.draw({200, 20}, {40, 140});
    f.view->enterEditMode(Tool::circle);
    f.draw({60, 30}, {220, 150});
    f.view->exitEditMode();
    const QImage viaLayer = f.view->flattenedImage();
    QVERIFY(!f.view->annotationCanvas()->finishedLayerFor({240, 160}).isNull());
    f.panel->setDisplayScale(2.0);
    QTRY_COMPARE(f.view->size(), QSize(480, 320));
    QVERIFY(f.view->annotationCanvas()->finishedLayerFor({240, 160}).isNull());
    const QImage drawn = f.view->flattenedImage();
    QCOMPARE(drawn.size(), viaLayer.size());
    int differing = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x) {
            const QRgb a = drawn.pixel(x, y);
            const QRgb b = viaLayer.pixel(x, y);
            if (qAbs(qRed(a) - qRed(b)) > 2 || qAbs(qGreen(a) - qGreen(b)) > 2 ||
                qAbs(qBlue(a) - qBlue(b)) > 2)
                ++differing;
        }
    QCOMPARE(differing, 0);
}

QTEST_MAIN(TestEditMode)
#include "tst_editmode.moc"
