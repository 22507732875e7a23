// SPDX-License-Identifier: GPL-3.0-or-later
#include "overlay/CompactImage.h"
#include "overlay/ImageFile.h"
#include "overlay/InteractionRules.h"
#include "overlay/PanelGeometry.h"
#include "overlay/RotatedImage.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using namespace vellumbox;

Q_DECLARE_METATYPE(vellumbox::KeyCommand)

class TestOverlayRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keys_data();
    void keys();
    void zoomPresetsAndFramesThatKeepTheirCentre();
    void rotatedImage_data();
    void rotatedImage();
    void fileNamesAndFormats();
    void pixelsSurviveCompactionExactly();
};

void TestOverlayRules::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("capsLock");
    QTest::addColumn<bool>("editing");
    QTest::addColumn<bool>("hasCanvas");
    QTest::addColumn<KeyCommand>("command");
    const int ctrl = Qt::ControlModifier;
    const int ctrlShift = int(Qt::ControlModifier | Qt::ShiftModifier);
    const auto row = [](const char* name, int key, int modifiers, bool capsLock, bool editing,
                        bool hasCanvas, KeyCommand command) {
        QTest::newRow(name) << key << modifiers << capsLock << editing << hasCanvas << command;
    };
    row("ctrl+c", Qt::Key_C, ctrl, false, false, false, KeyCommand::Copy);
    row("ctrl+s", Qt::Key_S, ctrl, false, false, false, KeyCommand::Save);
    row("ctrl+w", Qt::Key_W, ctrl, false, false, false, KeyCommand::Close);
    row("ctrl+c, caps lock", Qt::Key_C, ctrl, true, false, false, KeyCommand::PassOn);
    row("ctrl+keypad c", Qt::Key_C, ctrl | Qt::KeypadModifier, false, false, false,
        KeyCommand::PassOn);
    row("c alone", Qt::Key_C, 0, false, false, false, KeyCommand::PassOn);
    row("ctrl+shift+c", Qt::Key_C, ctrlShift, false, false, false, KeyCommand::PassOn);
    row("ctrl+x", Qt::Key_X, ctrl, false, false, false, KeyCommand::PassOn);
    row("ctrl+z editing", Qt::Key_Z, ctrl, false, true, true, KeyCommand::Undo);
    row("ctrl+z with marks, not editing", Qt::Key_Z, ctrl, false, false, true, KeyCommand::Swallow);
    row("ctrl+shift+z", Qt::Key_Z, ctrlShift, false, true, true, KeyCommand::Swallow);
    row("escape", Qt::Key_Escape, 0, false, false, false, KeyCommand::Swallow);
    row("escape editing, any modifier", Qt::Key_Escape, Qt::AltModifier, true, true, true,
        KeyCommand::ExitEditMode);
}

void TestOverlayRules::keys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, capsLock);
    QFETCH(bool, editing);
    QFETCH(bool, hasCanvas);
    QFETCH(KeyCommand, command);
    QCOMPARE(keyCommandFor(key, Qt::KeyboardModifiers(modifiers), capsLock, editing, hasCanvas),
             command);
}

// Zooming below the current size is offered only back to 100 %. Every step of a frame starts
// from the previous frame, about the same centre.
void TestOverlayRules::zoomPresetsAndFramesThatKeepTheirCentre()
{
    const auto states = [](double scale) {
        QString out;
        for (const ResizePreset& p : resizePresets(scale))
            out += QStringLiteral("%1=%2%3%4|")
                       .arg(p.title, QString::number(p.tag),
                            p.enabled ? QString() : QStringLiteral(" off"),
                            p.checked ? QStringLiteral(" on") : QString());
        return out;
    };
    QCOMPARE(states(2.0),
             QStringLiteral("100% (Original)=100|125%=125 off|150%=150 off|200%=200 on|300%=300|"));
    QCOMPARE(states(1.0),
             QStringLiteral("100% (Original)=100 on|125%=125|150%=150|200%=200|300%=300|"));

    const QSizeF capture(400, 300);
    QRectF frame = *displayScaleFrame({100, 100, 400, 300}, capture, 1.5, 0);
    QCOMPARE(frame, QRectF(0, 25, 600, 450));
    frame = rotatedFrame(frame, capture, 1.5, 90);
    QCOMPARE(frame, QRectF(75, -50, 450, 600));
    frame = *displayScaleFrame(frame, capture, 1.0, 270);
    QCOMPARE(frame, QRectF(150, 50, 300, 400));
    QCOMPARE(rotatedFrame(frame, capture, 1.0, 0), QRectF(100, 100, 400, 300));
    QCOMPARE(normalisedRotation(0), 0);
    QCOMPARE(normalisedRotation(-90), 270);
    // Below 100 % nothing changes.
    QVERIFY(!displayScaleFrame({100, 100, 400, 300}, capture, 0.999, 90));

    const QSizeF odd(333, 217);
    const QRectF start(17, 29, 333, 217);
    frame = start;
    int rotation = 0;
    for (const double scale : {1.25, 3.0, 1.5, 2.0, 1.0}) {
        frame = *displayScaleFrame(frame, odd, scale, rotation);
        rotation = normalisedRotation(rotation + 90);
        frame = rotatedFrame(frame, odd, scale, rotation);
    }
    frame = rotatedFrame(frame, odd, 1.0, 0);
    QCOMPARE(frame.size(), odd);
    QVERIFY(qAbs(frame.center().x() - start.center().x()) < 1e-9);
    QVERIFY(qAbs(frame.center().y() - start.center().y()) < 1e-9);

    // A picture fitted into a frame of another shape sits in its middle.
    QCOMPARE(aspectFitRect({400, 300}, {0, 0, 800, 300}), QRectF(200, 0, 400, 300));
    QCOMPARE(aspectFitRect({300, 400}, {0, 0, 400, 300}), QRectF(87.5, 0, 225, 300));
    QCOMPARE(aspectFitRect({0, 0}, {0, 0, 400, 300}), QRectF());
}

void TestOverlayRules::rotatedImage_data()
{
    QTest::addColumn<int>("degrees");
    QTest::addColumn<QSize>("pixels");
    // The red top-left pixel of the source, after turning clockwise.
    QTest::addColumn<QPoint>("redAt");
    QTest::newRow("0") << 0 << QSize(4, 2) << QPoint(0, 0);
    QTest::newRow("90") << 90 << QSize(2, 4) << QPoint(1, 0);
    QTest::newRow("450") << 450 << QSize(2, 4) << QPoint(1, 0);
    QTest::newRow("180") << 180 << QSize(4, 2) << QPoint(3, 1);
    QTest::newRow("-90") << -90 << QSize(2, 4) << QPoint(0, 3);
}

void TestOverlayRules::rotatedImage()
{
    QFETCH(int, degrees);
    QFETCH(QSize, pixels);
    QFETCH(QPoint, redAt);
    QImage source(4, 2, QImage::Format_RGB32);
    source.fill(Qt::blue);
    source.setPixel(0, 0, qRgb(255, 0, 0));
    source.setDevicePixelRatio(2.0);
    const QImage turned = vellumbox::rotatedImage(source, degrees);
    QCOMPARE(turned.size(), pixels);
    QCOMPARE(turned.devicePixelRatio(), 2.0);
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x)
            QCOMPARE(turned.pixel(x, y), QPoint(x, y) == redAt ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
}

void TestOverlayRules::fileNamesAndFormats()
{
    for (const char* jpeg : {"/tmp/a.jpeg", "/tmp/a.JpEg"})
        QCOMPARE(imageFormatForPath(QString::fromLatin1(jpeg)), QByteArray("JPEG"));
    for (const char* png : {"/tmp/a.tiff", "/tmp/a", "/tmp/x.jpg/a"})
        QCOMPARE(imageFormatForPath(QString::fromLatin1(png)), QByteArray("PNG"));

    const QDateTime when(QDate(2026, 12, 6), QTime(14, 5));
    const QString english =
        defaultScreenshotName(when, QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY2(english.startsWith(QStringLiteral("Screenshot ")) &&
                 english.contains(QStringLiteral("December")) &&
                 english.contains(QStringLiteral("2026")) &&
                 !english.contains(QStringLiteral("Sunday")),
             qPrintable(english));
    for (const QLocale& locale : {QLocale(QLocale::German), QLocale(QLocale::French),
                                  QLocale(QLocale::English, QLocale::UnitedStates)}) {
        const QString name = defaultScreenshotName(when, locale);
        QVERIFY2(!name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char(':')),
                 qPrintable(name));
    }
}

void TestOverlayRules::pixelsSurviveCompactionExactly()
{
    // Noise: the worst case for the compressor, and every bit must come back, in its format
    // and at its scale.
    QImage original(123, 77, QImage::Format_ARGB32_Premultiplied);
    QRandomGenerator random(7);
    for (int y = 0; y < original.height(); ++y)
        for (int x = 0; x < original.width(); ++x)
            original.setPixel(x, y, qPremultiply(random.generate()));
    original.setDevicePixelRatio(2.0);
    CompactImage compact(original);
    QSignalSpy compacted(&compact, &CompactImage::compacted);
    // Without pixels there is nothing to give up, ever.
    CompactImage none{QImage()};
    QSignalSpy noneCompacted(&none, &CompactImage::compacted);
    // Kept decoded while in use.
    for (int i = 0; i < 6; ++i) {
        QTest::qWait(CompactImage::idleMs / 3);
        QVERIFY(!compact.image().isNull());
        QVERIFY(compact.isDecoded());
    }
    QTRY_VERIFY_WITH_TIMEOUT(!compact.isDecoded(), 5000);
    QCOMPARE(compacted.size(), 1);
    QCOMPARE(noneCompacted.size(), 0);
    const QImage back = compact.image();
    QCOMPARE(back, original);
    QCOMPARE(back.format(), original.format());
    QCOMPARE(back.devicePixelRatio(), 2.0);
    QCOMPARE(compact.size(), QSize(123, 77));
}

QTEST_GUILESS_MAIN(TestOverlayRules)
#include "tst_overlayrules.moc"
