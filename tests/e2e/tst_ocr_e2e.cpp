// SPDX-License-Identifier: GPL-3.0-or-later
// Reading text out of a floating screenshot, as a person does it: the menu, a drag, the alert,
// then pasting the text elsewhere.
#include "DesktopTools.h"
#include "Steps.h"

#include <QFont>
#include <QPainter>
#include <QTest>

using namespace e2e;
using namespace e2e::steps;

namespace {

const QString kFirstLine = QStringLiteral("Floating screenshots stay on top");
const QString kSecondLine = QStringLiteral("Read their text with one drag");
// Where the text lies on the left screen, and the screenshot taken around it.
const QRect kCaptured(240, 240, 520, 140);
// The same lines on the right screen (at 2x), drawn twice as large, in root pixels.
const QRect kCapturedHiDpi(1980, 240, 1160, 240);

QImage desktopWithText(const QSize& size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(22);
    painter.setFont(font);
    painter.setPen(QColor(20, 20, 20));
    painter.drawText(QPoint(270, 290), kFirstLine);
    painter.drawText(QPoint(270, 330), kSecondLine);
    font.setPixelSize(44);
    painter.setFont(font);
    painter.drawText(QPoint(2040, 330), kFirstLine);
    painter.drawText(QPoint(2040, 410), kSecondLine);
    return image;
}

// The faint blue of a selection laid over white.
bool isTinted(QRgb pixel)
{
    return qBlue(pixel) > 250 && qRed(pixel) < 248 && qRed(pixel) > 236;
}

} // namespace

class TestOcrE2e : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void dragOverTwoLinesCopiesThem_data();
    void dragOverTwoLinesCopiesThem();
    void tinyDragAndEscapeCancelSilently();

private:
    WindowInfo screenshot(const QRect& area = kCaptured);
    void scanText(const WindowInfo& shot);
    QRgb shownAt(const QPoint& at) { return m_x.grab(QRect(at, QSize(1, 1))).pixel(0, 0); }

    XHarness m_x;
    std::unique_ptr<AppProcess> m_app;
};

void TestOcrE2e::initTestCase()
{
    QVERIFY(m_x.setBackgroundImage(desktopWithText(m_x.rootSize())));
}

void TestOcrE2e::init()
{
    QString why;
    m_app = startApp(&why);
    QVERIFY2(m_app, qPrintable(why));
}

void TestOcrE2e::cleanup()
{
    if (QTest::currentTestFailed())
        tools::mouseUp(1);
    m_app.reset();
}

WindowInfo TestOcrE2e::screenshot(const QRect& area)
{
    WindowInfo shot;
    QString why;
    if (!capture(m_x, area.topLeft(), area.bottomRight() + QPoint(1, 1), 1, &shot, &why))
        qWarning("%s", qPrintable(why));
    return shot;
}

void TestOcrE2e::scanText(const WindowInfo& shot)
{
    tools::click(shot.geometry.center(), 3);
    QTest::qWait(300);
    tools::key(QStringLiteral("Down"));
    tools::key(QStringLiteral("Down"));
    tools::key(QStringLiteral("Return"));
    QTest::qWait(300);
}

void TestOcrE2e::dragOverTwoLinesCopiesThem_data()
{
    QTest::addColumn<QRect>("captured");
    QTest::addColumn<QRect>("dragged");
    QTest::newRow("1x screen") << kCaptured << QRect(255, 260, 445, 85);
    QTest::newRow("2x screen") << kCapturedHiDpi << QRect(2010, 270, 1100, 170);
}

void TestOcrE2e::dragOverTwoLinesCopiesThem()
{
    QFETCH(QRect, captured);
    QFETCH(QRect, dragged);
    const WindowInfo shot = screenshot(captured);
    QCOMPARE(shot.geometry, captured);
    tools::mouseMove(kParking);
    QTest::qWait(kSettleMs);
    const QPoint blank(captured.right() - 5, captured.bottom() - 5);
    QVERIFY(!isTinted(shownAt(blank)));
    scanText(shot);
    QVERIFY2(waitUntil([&] { return isTinted(shownAt(blank)); }, 2000),
             "the screenshot was not tinted for the selection");
    QVERIFY(tools::drag(dragged.topLeft(), dragged.bottomRight()));
    QVERIFY2(waitUntil([&] { return alerts(m_x).size() == 1; }, 10000), "no result alert");
    QTest::qWait(300);
    QVERIFY(tools::key(QStringLiteral("Return")));
    QVERIFY(waitUntil([&] { return alerts(m_x).isEmpty(); }, kWindowTimeoutMs));
    QCOMPARE(clipboardText(), kFirstLine + QLatin1Char('\n') + kSecondLine);
    // The selection is gone and the screenshot floats on, untinted.
    QVERIFY(waitUntil([&] { return !isTinted(shownAt(blank)); }, 2000));
    QVERIFY(m_x.window(shot.id).has_value());
}

void TestOcrE2e::tinyDragAndEscapeCancelSilently()
{
    const WindowInfo shot = screenshot();
    tools::mouseMove(kParking);
    QTest::qWait(kSettleMs);
    const QPoint blank(kCaptured.right() - 5, kCaptured.bottom() - 5);

    scanText(shot);
    QVERIFY(waitUntil([&] { return isTinted(shownAt(blank)); }, 2000));
    QVERIFY(tools::drag({300, 280}, {306, 285}));
    QVERIFY2(waitUntil([&] { return !isTinted(shownAt(blank)); }, 2000),
             "a tiny drag did not end the selection");
    QTest::qWait(1000);
    QVERIFY(alerts(m_x).isEmpty());

    scanText(shot);
    QVERIFY(waitUntil([&] { return isTinted(shownAt(blank)); }, 2000));
    QVERIFY(tools::key(QStringLiteral("Escape")));
    QVERIFY2(waitUntil([&] { return !isTinted(shownAt(blank)); }, 2000),
             "Escape did not end the selection");
    QTest::qWait(500);
    QVERIFY(alerts(m_x).isEmpty());
    QVERIFY(m_x.window(shot.id).has_value());
}

QTEST_MAIN(TestOcrE2e)
#include "tst_ocr_e2e.moc"
