// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/SelectionOverlayView.h"
#include "capture/SelectionOverlayWindow.h"
#include "platform/SystemColors.h"
#include "support/TestSupport.h"

#include <QTest>

using namespace vellumbox;
using vellumbox::testing::drag;
using vellumbox::testing::near;

namespace {

// A 400 x 300 selection that keeps what it reports.
struct Selection {
    SelectionOverlayView view;
    QList<QRectF> completed;
    int cancelled = 0;

    explicit Selection(QImage picture = {})
        : view(std::move(picture), nullptr)
    {
        view.resize(400, 300);
        view.onSelectionComplete = [this](const QRectF& r) { completed.append(r); };
        view.onSelectionCancelled = [this] { ++cancelled; };
    }
};

} // namespace

class TestSelectionOverlayView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dragGivesTheRectangleOrCancels_data();
    void dragGivesTheRectangleOrCancels();
    void dimsAllButTheSelectionUntilEscapeCancelsIt();
    void windowReportsInDesktopCoordinates();
};

void TestSelectionOverlayView::dragGivesTheRectangleOrCancels_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QRectF>("completed"); // null: cancelled
    QTest::newRow("5 x 5 completes") << QPoint(10, 10) << QPoint(15, 15) << QRectF(10, 10, 5, 5);
    QTest::newRow("4 x 100 cancels") << QPoint(10, 10) << QPoint(14, 110) << QRectF();
    QTest::newRow("100 x 4 cancels") << QPoint(10, 10) << QPoint(110, 14) << QRectF();
    QTest::newRow("up and left") << QPoint(120, 80) << QPoint(20, 30) << QRectF(20, 30, 100, 50);
    QTest::newRow("down and left") << QPoint(120, 30) << QPoint(20, 80) << QRectF(20, 30, 100, 50);
    QTest::newRow("leaving the screen is clamped")
        << QPoint(350, 250) << QPoint(900, -200) << QRectF(350, 0, 50, 250);
}

void TestSelectionOverlayView::dragGivesTheRectangleOrCancels()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QRectF, completed);
    Selection s;
    drag(&s.view, from, to);
    QCOMPARE(s.completed, completed.isNull() ? QList<QRectF>() : QList<QRectF>{completed});
    QCOMPARE(s.cancelled, completed.isNull() ? 1 : 0);
    QVERIFY(!s.view.isDragging());
    QVERIFY(!s.view.currentSelection());
}

void TestSelectionOverlayView::dimsAllButTheSelectionUntilEscapeCancelsIt()
{
    Selection s(testing::filledPicture({400, 300}, qRgb(200, 100, 50)));
    const QRgb dimmed = qRgb(140, 70, 35); // 70 % of the picture under black at 0.3
    const QImage before = s.view.grab().toImage();
    QVERIFY(near(before.pixel(5, 5), dimmed));
    QVERIFY(near(before.pixel(200, 150), dimmed));

    QTest::mousePress(&s.view, Qt::LeftButton, Qt::NoModifier, {100, 100});
    QTest::mouseMove(&s.view, {200, 180});
    QCOMPARE(s.view.currentSelection(), QRectF(100, 100, 100, 80));
    const QImage during = s.view.grab().toImage();
    QVERIFY(near(during.pixel(150, 140), qRgb(200, 100, 50))); // inside: the screen as it is
    QVERIFY(near(during.pixel(50, 50), dimmed));               // outside: dimmed
    QVERIFY(near(during.pixel(250, 140), dimmed));
    // The 2-point border straddles the edge: one pixel inside, one outside.
    QCOMPARE(during.pixel(100, 140), systemBlue().rgb());
    QCOMPARE(during.pixel(99, 140), systemBlue().rgb());
    QVERIFY(during.pixel(98, 140) != systemBlue().rgb());
    QVERIFY(during.pixel(101, 140) != systemBlue().rgb());

    QTest::keyClick(&s.view, Qt::Key_Escape);
    QCOMPARE(s.cancelled, 1);
    QVERIFY(!s.view.currentSelection());
    QVERIFY(near(s.view.grab().toImage().pixel(150, 140), dimmed));
    // The release that follows finds no drag: another cancellation, never a completion.
    QTest::mouseRelease(&s.view, Qt::LeftButton, Qt::NoModifier, {200, 180});
    QVERIFY(s.completed.isEmpty());
    QCOMPARE(s.cancelled, 2);
}

void TestSelectionOverlayView::windowReportsInDesktopCoordinates()
{
    const ScreenInfo left{QStringLiteral("X"), QRect(-1920, 0, 1920, 1080), 1.0,
                          QRect(-1920, 0, 1920, 1080)};
    SelectionOverlayWindow window(left, {}, false);
    drag(window.view(), {10, 10}, {50, 50}); // nobody listening yet: nothing to report to
    QList<QRectF> rects;
    window.onSelectionComplete = [&rects](const QRectF& r, const ScreenInfo&) { rects.append(r); };
    drag(window.view(), {100, 50}, {400, 250});
    QCOMPARE(rects, QList<QRectF>{QRectF(-1820, 50, 300, 200)});
}

QTEST_MAIN(TestSelectionOverlayView)
#include "tst_selectionoverlayview.moc"
