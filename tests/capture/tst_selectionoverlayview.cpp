// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/SelectionOverlayView.h"
#include "capture/SelectionOverlayWindow.h"
#include "platform/SystemColors.h"
#include "support/TestSupport.h"

#include <QTest>

using namespace vellumbox;
using vellumbox::testing::drag;

namespace {

struct Reports {
    QList<QRectF> completed;
    int cancelled = 0;
};

void listen(SelectionOverlayView& view, Reports& reports)
{
    view.onSelectionComplete = [&reports](const QRectF& r) { reports.completed.append(r); };
    view.onSelectionCancelled = [&reports] { ++reports.cancelled; };
}

bool close(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) <= 2 && qAbs(qGreen(a) - qGreen(b)) <= 2 &&
           qAbs(qBlue(a) - qBlue(b)) <= 2;
}

} // namespace

class TestSelectionOverlayView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dragGivesTheRectangleOrCancels_data();
    void dragGivesTheRectangleOrCancels();
    void escapeDuringADragCancels();
    void dimsTheScreenPictureAndClearsTheSelection();
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
    QTest::newRow("a plain click cancels") << QPoint(50, 50) << QPoint(50, 50) << QRectF();
    QTest::newRow("down and right") << QPoint(20, 30) << QPoint(120, 80) << QRectF(20, 30, 100, 50);
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
    SelectionOverlayView view({}, nullptr);
    view.resize(400, 300);
    Reports reports;
    listen(view, reports);
    drag(&view, from, to);
    QCOMPARE(reports.completed, completed.isNull() ? QList<QRectF>() : QList<QRectF>{completed});
    QCOMPARE(reports.cancelled, completed.isNull() ? 1 : 0);
    QVERIFY(!view.isDragging());
    QVERIFY(!view.currentSelection());
}

void TestSelectionOverlayView::escapeDuringADragCancels()
{
    SelectionOverlayView view({}, nullptr);
    view.resize(400, 300);
    Reports reports;
    listen(view, reports);
    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, {10, 10});
    QTest::mouseMove(&view, {100, 100});
    QCOMPARE(view.currentSelection(), QRectF(10, 10, 90, 90));
    QTest::keyClick(&view, Qt::Key_Escape);
    QCOMPARE(reports.cancelled, 1);
    QVERIFY(!view.currentSelection());
    // The release that follows finds no drag and reports another cancellation, never a
    // completion.
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, {100, 100});
    QVERIFY(reports.completed.isEmpty());
    QCOMPARE(reports.cancelled, 2);
}

void TestSelectionOverlayView::dimsTheScreenPictureAndClearsTheSelection()
{
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(qRgb(200, 100, 50));
    SelectionOverlayView view(picture, nullptr);
    view.resize(400, 300);
    const QRgb dimmed = qRgb(140, 70, 35); // 70 % of the picture under black at 0.3

    QImage before = view.grab().toImage();
    QVERIFY(close(before.pixel(5, 5), dimmed));
    QVERIFY(close(before.pixel(200, 150), dimmed));

    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, {100, 100});
    QTest::mouseMove(&view, {200, 180});
    const QImage during = view.grab().toImage();
    QVERIFY(close(during.pixel(150, 140), qRgb(200, 100, 50))); // inside: the screen as it is
    QVERIFY(close(during.pixel(50, 50), dimmed));               // outside: dimmed
    QVERIFY(close(during.pixel(250, 140), dimmed));
    // The 2-point border straddles the edge: one pixel inside, one outside.
    QCOMPARE(during.pixel(100, 140), systemBlue().rgb());
    QCOMPARE(during.pixel(99, 140), systemBlue().rgb());
    QVERIFY(during.pixel(98, 140) != systemBlue().rgb());
    QVERIFY(during.pixel(101, 140) != systemBlue().rgb());
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, {200, 180});
    QVERIFY(close(view.grab().toImage().pixel(150, 140), dimmed));
}

void TestSelectionOverlayView::windowReportsInDesktopCoordinates()
{
    const ScreenInfo left{QStringLiteral("X"), QRect(-1920, 0, 1920, 1080), 1.0,
                          QRect(-1920, 0, 1920, 1080)};
    SelectionOverlayWindow window(left, {}, false);
    QList<QRectF> rects;
    QList<QString> screens;
    window.onSelectionComplete = [&](const QRectF& r, const ScreenInfo& s) {
        rects.append(r);
        screens.append(s.name);
    };
    drag(window.view(), {100, 50}, {400, 250});
    QCOMPARE(rects, QList<QRectF>{QRectF(-1820, 50, 300, 200)});
    QCOMPARE(screens, QList<QString>{QStringLiteral("X")});
}

QTEST_MAIN(TestSelectionOverlayView)
#include "tst_selectionoverlayview.moc"
