// SPDX-License-Identifier: GPL-3.0-or-later
#include "overlay/CompactImage.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using namespace vellumbox;

class TestCompactImage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pixelsSurviveCompactionExactly_data();
    void pixelsSurviveCompactionExactly();
    void useKeepsThePixelsDecoded();
};

void TestCompactImage::pixelsSurviveCompactionExactly_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("rgb32 at 2x") << int(QImage::Format_RGB32) << 2.0;
    QTest::newRow("argb32 premultiplied") << int(QImage::Format_ARGB32_Premultiplied) << 1.0;
}

void TestCompactImage::pixelsSurviveCompactionExactly()
{
    QFETCH(int, format);
    QFETCH(qreal, ratio);
    // Noise: the worst case for the compressor, and every bit must come back.
    QImage original(123, 77, static_cast<QImage::Format>(format));
    QRandomGenerator random(7);
    for (int y = 0; y < original.height(); ++y)
        for (int x = 0; x < original.width(); ++x)
            original.setPixel(x, y, qPremultiply(random.generate()));
    original.setDevicePixelRatio(ratio);

    CompactImage compact(original);
    QSignalSpy compacted(&compact, &CompactImage::compacted);
    QVERIFY(compact.isDecoded());
    QTRY_VERIFY_WITH_TIMEOUT(!compact.isDecoded(), 5000);
    QCOMPARE(compacted.size(), 1);
    const QImage back = compact.image();
    QCOMPARE(back, original);
    QCOMPARE(back.format(), original.format());
    QCOMPARE(back.devicePixelRatio(), ratio);
    QCOMPARE(compact.size(), QSize(123, 77));
}

void TestCompactImage::useKeepsThePixelsDecoded()
{
    QImage original(64, 64, QImage::Format_RGB32);
    original.fill(Qt::red);
    CompactImage compact(original);
    for (int i = 0; i < 6; ++i) {
        QTest::qWait(CompactImage::idleMs / 3);
        QVERIFY(!compact.image().isNull());
        QVERIFY(compact.isDecoded());
    }
    QTRY_VERIFY_WITH_TIMEOUT(!compact.isDecoded(), 5000);
}

QTEST_GUILESS_MAIN(TestCompactImage)
#include "tst_compactimage.moc"
