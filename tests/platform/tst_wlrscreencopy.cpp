// SPDX-License-Identifier: GPL-3.0-or-later
// Screen copy against a real compositor: runs inside tools/wayland/session.sh (sway, outputs at
// scale 1 and 2), compared with grim, the compositor's own reader.
#include "platform/WlrScreencopyCapture.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace vellumbox;
using namespace Qt::StringLiterals;

class TestWlrScreencopy : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // Each channel its own gradient: a swapped or lost channel cannot look right.
        QImage picture(1920, 1080, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) / 16 % 256));
        const QString file = dir_.filePath(u"background.png"_s);
        QVERIFY(picture.save(file));
        for (const char* output : {"HEADLESS-1", "HEADLESS-2"})
            QCOMPARE(QProcess::execute(u"swaymsg"_s, {u"output"_s, QLatin1String(output), u"bg"_s,
                                                      file, u"stretch"_s}),
                     0);
        QTest::qWait(1000);
    }

    void eachOutputAtItsOwnDensity_data()
    {
        QTest::addColumn<QRect>("screen"); // as XWayland shows it
        QTest::addColumn<qreal>("scale");  // 0: no output shows it
        QTest::newRow("scale 1") << QRect(0, 0, 1920, 1080) << 1.0;
        QTest::newRow("scale 2, shown at 1x") << QRect(1920, 0, 640, 360) << 2.0;
        QTest::newRow("unplugged") << QRect(5000, 5000, 100, 100) << 0.0;
    }

    void eachOutputAtItsOwnDensity()
    {
        QFETCH(QRect, screen);
        QFETCH(qreal, scale);
        std::unique_ptr<WlrScreencopyCapture> capture = WlrScreencopyCapture::connect();
        QVERIFY2(capture, "no screen copy: run inside tools/wayland/session.sh");
        const DisplayImage shot = capture->captureDisplay({u"S"_s, screen, 1.0, screen});
        QVERIFY2(scale > 0 ? shot.ok() : shot.error.contains(u"\"S\""_s), qPrintable(shot.error));
        if (scale == 0)
            return;
        QCOMPARE(shot.scale, scale);
        QCOMPARE(shot.image.size(), screen.size() * scale);
        // Two reads of a still screen: the compositor's own and ours.
        const QString truth = dir_.filePath(u"grim.png"_s);
        const QString area = QString::asprintf("%d,%d %dx%d", screen.x(), screen.y(),
                                               screen.width(), screen.height());
        QCOMPARE(QProcess::execute(u"grim"_s, {u"-g"_s, area, truth}), 0);
        QImage expected = QImage(truth).convertToFormat(QImage::Format_RGB32);
        expected.setDevicePixelRatio(scale);
        QCOMPARE(expected.size(), shot.image.size());
        QCOMPARE(shot.image.convertToFormat(QImage::Format_RGB32), expected);
    }

private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(TestWlrScreencopy)
#include "tst_wlrscreencopy.moc"
