// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing on a floating screenshot as a person does: a tool from the Edit submenu, drags on
// the picture, Escape, and the marks in what is copied.
#include "DesktopTools.h"
#include "Steps.h"
#include "TestPattern.h"

#include <QProcess>
#include <QTest>

using namespace e2e;
using namespace e2e::steps;

namespace {

bool isRed(QRgb p)
{
    return qRed(p) > 200 && qGreen(p) < 70 && qBlue(p) < 70;
}

// Yellow at 0.3 over the pattern: red and green rise towards 255, blue falls to 70 %.
bool isHighlighted(QRgb shown, QRgb under)
{
    return qAbs(qBlue(shown) - qBlue(under) * 7 / 10) <= 3 &&
           qAbs(qRed(shown) - (qRed(under) * 7 / 10 + 77)) <= 3;
}

} // namespace

class TestEditE2e : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void everyToolLeavesItsMarkInTheCopy();
    void escapeInAnotherApplicationEndsEditMode();

private:
    // Edit > the tool at index (Pencil 0 ... Highlight 4), walked with the keyboard.
    void chooseTool(const QPoint& at, int index);
    int blueOnTopEdge(const WindowInfo& shot);

    XHarness m_x;
    std::unique_ptr<AppProcess> m_app;
    QProcess m_other;
};

void TestEditE2e::init()
{
    QVERIFY(m_x.setBackgroundPattern(0));
    QString why;
    m_app = startApp(&why);
    QVERIFY2(m_app, qPrintable(why));
}

void TestEditE2e::cleanup()
{
    if (QTest::currentTestFailed())
        tools::mouseUp(1);
    m_app.reset();
    m_other.kill();
    m_other.waitForFinished();
}

void TestEditE2e::chooseTool(const QPoint& at, int index)
{
    tools::click(at, 3);
    QTest::qWait(300);
    for (int i = 0; i < 9; ++i) // Edit, past the nine items above it
        tools::key(QStringLiteral("Down"));
    tools::key(QStringLiteral("Right"));
    QTest::qWait(100);
    for (int i = 0; i < index; ++i)
        tools::key(QStringLiteral("Down"));
    tools::key(QStringLiteral("Return"));
    QTest::qWait(200);
}

int TestEditE2e::blueOnTopEdge(const WindowInfo& shot)
{
    const QImage edge = m_x.grab(
        QRect(shot.geometry.x() + 12, shot.geometry.y() + 1, shot.geometry.width() - 24, 1));
    int blue = 0;
    for (int x = 0; x < edge.width(); ++x)
        blue += (edge.pixel(x, 0) & 0xffffff) == 0x007affU ? 1 : 0;
    return blue;
}

void TestEditE2e::everyToolLeavesItsMarkInTheCopy()
{
    const QRect area(300, 200, 500, 400);
    WindowInfo shot;
    QString why;
    QVERIFY2(capture(m_x, area.topLeft(), area.bottomRight() + QPoint(1, 1), 1, &shot, &why),
             qPrintable(why));
    QTest::qWait(kSettleMs);
    // One drag per tool, each in its own strip of the picture (window coordinates).
    const QList<QPair<QPoint, QPoint>> drags{{{40, 40}, {200, 40}},    // pencil, a line
                                             {{260, 20}, {460, 120}},  // circle
                                             {{40, 160}, {200, 260}},  // square
                                             {{260, 200}, {460, 200}}, // arrow
                                             {{60, 300}, {440, 380}}}; // highlight
    for (int tool = 0; tool < drags.size(); ++tool) {
        chooseTool(area.topLeft() + QPoint(250, 150), tool);
        QVERIFY(tools::drag(area.topLeft() + drags.at(tool).first,
                            area.topLeft() + drags.at(tool).second, 5, 30));
    }
    QVERIFY2(blueOnTopEdge(shot) > 20, "no dashed border in edit mode");
    QVERIFY(tools::key(QStringLiteral("Escape")));
    QTest::qWait(300);
    QCOMPARE(blueOnTopEdge(shot), 0);

    // A long press gives the screenshot the focus without closing it; then copy.
    focusScreenshotAt(area.topLeft() + QPoint(480, 10));
    QVERIFY(tools::key(QStringLiteral("ctrl+c")));
    QImage copied;
    QVERIFY(waitUntil(
        [&] {
            copied = clipboardImage();
            return !copied.isNull();
        },
        3000));
    QCOMPARE(copied.size(), area.size());
    const auto red = [&copied](QPoint p) { return isRed(copied.pixel(p)); };
    QVERIFY(red({120, 40}));                   // the pencil line
    QVERIFY(red({260, 70}) || red({261, 70})); // the ellipse's left end
    QVERIFY(red({40, 210}) || red({41, 210})); // the square's left side
    QVERIFY(red({360, 200}));                  // the arrow's shaft
    QVERIFY(!red({120, 120}));                 // nothing between
    const QPoint inside(250, 340);
    QVERIFY2(isHighlighted(copied.pixel(inside),
                           pattern::pixel(0, area.x() + inside.x(), area.y() + inside.y())),
             "no highlight");
}

void TestEditE2e::escapeInAnotherApplicationEndsEditMode()
{
    WindowInfo shot;
    QString why;
    QVERIFY2(capture(m_x, {400, 300}, {700, 500}, 1, &shot, &why), qPrintable(why));
    QTest::qWait(kSettleMs);
    chooseTool(shot.geometry.center(), 0);
    QVERIFY2(blueOnTopEdge(shot) > 20, "no dashed border in edit mode");

    // Another application in front, with the keyboard.
    m_other.start(QStringLiteral("xmessage"),
                  {QStringLiteral("-geometry"), QStringLiteral("+1200+700"),
                   QStringLiteral("another application")});
    QList<WindowInfo> other;
    QVERIFY(m_x.waitForWindows(QStringLiteral("xmessage"), 1, kWindowTimeoutMs, &other));
    QVERIFY(tools::click({1230, 715}));
    QTest::qWait(300);
    // The keyboard is the other application's: only watching it can see this Escape.
    auto* focus =
        xcb_get_input_focus_reply(m_x.connection(), xcb_get_input_focus(m_x.connection()), nullptr);
    QVERIFY(focus);
    const xcb_window_t focused = focus->focus;
    std::free(focus);
    QVERIFY2(focused == other.first().id || focused == other.first().topLevel,
             "the other application did not take the keyboard");
    QVERIFY(tools::key(QStringLiteral("Escape")));
    QVERIFY2(waitUntil([&] { return blueOnTopEdge(shot) == 0; }, 2000),
             "edit mode survived Escape in another application");

    // Back to an ordinary screenshot: a short click closes it.
    QVERIFY(tools::click(shot.geometry.center()));
    QVERIFY(m_x.waitForNoWindow(kScreenshot, kWindowTimeoutMs));
}

QTEST_GUILESS_MAIN(TestEditE2e)
#include "tst_edit_e2e.moc"
