// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/CaptureGeometry.h"
#include "capture/SelectionCursor.h"

#include <QTest>

using namespace vellumbox;

class TestCaptureGeometry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cropRect_data();
    void cropRect();
    void pointsSnapToWholePointsOnTheirScreen();
    void crosshairLeavesAGapAroundTheHotSpot();
};

// The display examples, with each screen given in Qt's y-down desktop: a screen above the
// primary one has a negative y, and a rectangle's y is its top edge.
void TestCaptureGeometry::cropRect_data()
{
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<QRectF>("screen");
    QTest::addColumn<QRectF>("rect");
    QTest::addColumn<QRect>("crop");

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

void TestCaptureGeometry::cropRect()
{
    QFETCH(qreal, scale);
    QFETCH(QRectF, screen);
    QFETCH(QRectF, rect);
    QFETCH(QRect, crop);
    QCOMPARE(pixelCropRect(rect, screen, scale), crop);
}

void TestCaptureGeometry::pointsSnapToWholePointsOnTheirScreen()
{
    QCOMPARE(snapToLogicalPixel({10.5, 20.49}), QPointF(11, 20));
    QCOMPARE(snapToLogicalPixel({-0.5, 3.0}), QPointF(-1, 3));
    const QList<QRect> screens{{0, 0, 1920, 1080}, {1920, 0, 640, 512}};
    QCOMPARE(screenIndexAt(screens, {1919, 1079}), 0);
    QCOMPARE(screenIndexAt(screens, {2559, 511}), 1);
    QCOMPARE(screenIndexAt(screens, {-1, 5}), -1);
    QCOMPARE(screenIndexAt({}, {0, 0}), -1);
}

void TestCaptureGeometry::crosshairLeavesAGapAroundTheHotSpot()
{
    const QImage image =
        selectionCrosshairPixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), QSize(32, 32));
    QCOMPARE(selectionCrosshairCursor().hotSpot(), QPoint(16, 16));
    const auto alpha = [&image](int x, int y) { return qAlpha(image.pixel(x, y)); };
    const auto gray = [&image](int x, int y) { return qGray(image.pixel(x, y)); };
    // The hot spot and the gap round it are clear; the arms' round ends reach its edge.
    for (const QPoint p : {QPoint(15, 15), QPoint(16, 16), QPoint(15, 16), QPoint(16, 15)})
        QCOMPARE(alpha(p.x(), p.y()), 0);
    for (const QPoint p : {QPoint(14, 16), QPoint(17, 16), QPoint(16, 14), QPoint(16, 17)})
        QVERIFY(alpha(p.x(), p.y()) > 0);
    // Each of the four arms is opaque and dark along its middle...
    for (const QPoint p : {QPoint(16, 9), QPoint(9, 16), QPoint(22, 16), QPoint(16, 22)}) {
        QCOMPARE(alpha(p.x(), p.y()), 255);
        QVERIFY2(gray(p.x(), p.y()) < 110, qPrintable(QString::number(gray(p.x(), p.y()))));
    }
    // ...inside a white edge that shows it on dark screens.
    QCOMPARE(gray(14, 9), 255);
    QCOMPARE(gray(17, 9), 255);
    QVERIFY(alpha(14, 9) > 100);
    // Nothing beyond the arms' round ends.
    QCOMPARE(alpha(16, 3), 0);
    QCOMPARE(alpha(29, 16), 0);
    QCOMPARE(alpha(0, 0), 0);
    QVERIFY(alpha(16, 6) > 0);
}

QTEST_MAIN(TestCaptureGeometry)
#include "tst_capturegeometry.moc"
