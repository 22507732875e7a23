// SPDX-License-Identifier: GPL-3.0-or-later
#include "overlay/PanelGeometry.h"
#include "overlay/RotatedImage.h"

#include <QTest>

using namespace vellumbox;

class TestPanelGeometry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void zoomAndRotationSequence();
    void zoomBelowOneChangesNothing();
    void rotationNormalises();
    void sequencesEndingAtRestDoNotDrift();
    void aspectFitCentres();
    void rotatedImage_data();
    void rotatedImage();
};

// A 400 x 300 capture at (100, 100); every step starts from the previous frame.
void TestPanelGeometry::zoomAndRotationSequence()
{
    const QSizeF capture(400, 300);
    QRectF frame(100, 100, 400, 300);
    int rotation = 0;
    double scale = 1.0;

    scale = 1.5;
    frame = *displayScaleFrame(frame, capture, scale, rotation);
    QCOMPARE(frame, QRectF(0, 25, 600, 450));

    rotation = normalisedRotation(rotation + 90);
    frame = rotatedFrame(frame, capture, scale, rotation);
    QCOMPARE(frame, QRectF(75, -50, 450, 600));
    QCOMPARE(rotation, 90);

    scale = 1.0;
    frame = *displayScaleFrame(frame, capture, scale, rotation);
    QCOMPARE(frame, QRectF(150, 50, 300, 400));

    rotation = normalisedRotation(rotation - 90);
    frame = rotatedFrame(frame, capture, scale, rotation);
    QCOMPARE(frame, QRectF(100, 100, 400, 300));
    QCOMPARE(rotation, 0);

    rotation = normalisedRotation(rotation - 90);
    frame = rotatedFrame(frame, capture, scale, rotation);
    QCOMPARE(frame, QRectF(150, 50, 300, 400));
    QCOMPARE(rotation, 270);
}

void TestPanelGeometry::zoomBelowOneChangesNothing()
{
    QVERIFY(!displayScaleFrame({100, 100, 400, 300}, {400, 300}, 0.5, 0));
    QVERIFY(!displayScaleFrame({100, 100, 400, 300}, {400, 300}, 0.999, 90));
    QVERIFY(displayScaleFrame({100, 100, 400, 300}, {400, 300}, 1.0, 0));
}

void TestPanelGeometry::rotationNormalises()
{
    QCOMPARE(normalisedRotation(-90), 270);
    QCOMPARE(normalisedRotation(450), 90);
    QCOMPARE(normalisedRotation(360), 0);
    QCOMPARE(normalisedRotation(-720), 0);
    int rotation = 0;
    for (int i = 0; i < 4; ++i)
        rotation = normalisedRotation(rotation + 90);
    QCOMPARE(rotation, 0);
}

void TestPanelGeometry::sequencesEndingAtRestDoNotDrift()
{
    const QSizeF capture(333, 217);
    const QRectF start(17, 29, 333, 217);
    QRectF frame = start;
    int rotation = 0;
    const double scales[] = {1.25, 3.0, 1.5, 2.0, 1.0};
    for (const double scale : scales) {
        frame = *displayScaleFrame(frame, capture, scale, rotation);
        rotation = normalisedRotation(rotation + 90);
        frame = rotatedFrame(frame, capture, scale, rotation);
    }
    // Back to rotation 0 at scale 1: the captured size, about the same centre.
    frame = rotatedFrame(frame, capture, 1.0, 0);
    QCOMPARE(frame.size(), capture);
    QVERIFY(qAbs(frame.center().x() - start.center().x()) < 1e-9);
    QVERIFY(qAbs(frame.center().y() - start.center().y()) < 1e-9);
}

void TestPanelGeometry::aspectFitCentres()
{
    QCOMPARE(aspectFitRect({400, 300}, {0, 0, 400, 300}), QRectF(0, 0, 400, 300));
    QCOMPARE(aspectFitRect({400, 300}, {0, 0, 800, 300}), QRectF(200, 0, 400, 300));
    QCOMPARE(aspectFitRect({300, 400}, {0, 0, 400, 300}), QRectF(87.5, 0, 225, 300));
    QCOMPARE(aspectFitRect({0, 0}, {0, 0, 400, 300}), QRectF());
}

void TestPanelGeometry::rotatedImage_data()
{
    QTest::addColumn<int>("degrees");
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<QSizeF>("size");
    // The red top-left pixel of the source, after turning clockwise.
    QTest::addColumn<QPoint>("redAt");
    QTest::newRow("0") << 0 << QSize(4, 2) << QSizeF(2, 1) << QPoint(0, 0);
    QTest::newRow("360") << 360 << QSize(4, 2) << QSizeF(2, 1) << QPoint(0, 0);
    QTest::newRow("90") << 90 << QSize(2, 4) << QSizeF(1, 2) << QPoint(1, 0);
    QTest::newRow("450") << 450 << QSize(2, 4) << QSizeF(1, 2) << QPoint(1, 0);
    QTest::newRow("180") << 180 << QSize(4, 2) << QSizeF(2, 1) << QPoint(3, 1);
    QTest::newRow("270") << 270 << QSize(2, 4) << QSizeF(1, 2) << QPoint(0, 3);
    QTest::newRow("-90") << -90 << QSize(2, 4) << QSizeF(1, 2) << QPoint(0, 3);
}

void TestPanelGeometry::rotatedImage()
{
    QFETCH(int, degrees);
    QFETCH(QSize, pixels);
    QFETCH(QSizeF, size);
    QFETCH(QPoint, redAt);
    // 4 x 2 pixels at scale 2: 2 x 1 logical.
    QImage source(4, 2, QImage::Format_RGB32);
    source.fill(Qt::blue);
    source.setPixel(0, 0, qRgb(255, 0, 0));
    source.setDevicePixelRatio(2.0);
    const RotatedImage turned = vellumbox::rotatedImage(source, degrees, QSizeF(2, 1));
    QCOMPARE(turned.image.size(), pixels);
    QCOMPARE(turned.size, size);
    QCOMPARE(turned.image.devicePixelRatio(), 2.0);
    for (int y = 0; y < pixels.height(); ++y) {
        for (int x = 0; x < pixels.width(); ++x) {
            const QRgb expected = QPoint(x, y) == redAt ? qRgb(255, 0, 0) : qRgb(0, 0, 255);
            QCOMPARE(turned.image.pixel(x, y), expected);
        }
    }
}

QTEST_GUILESS_MAIN(TestPanelGeometry)
#include "tst_panelgeometry.moc"
