// SPDX-License-Identifier: GPL-3.0-or-later
#include "annotation/AnnotationCanvas.h"
#include "annotation/AnnotationRenderer.h"
#include "annotation/ToolCursors.h"
#include "support/TestSupport.h"

#include <QPainter>
#include <QTest>

using namespace vellumbox;
using Tool = AnnotationToolType;

namespace {

QImage render(const QList<Annotation>& annotations, QSize size, QColor background = Qt::white,
              bool antialiased = false)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(background);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, antialiased);
    for (const Annotation& a : annotations)
        renderAnnotation(a, painter, QSizeF(size));
    return image;
}

QRect redArea(const QImage& image)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (testing::isRed(image.pixel(x, y)))
                area |= QRect(x, y, 1, 1);
    return area;
}

} // namespace

// Annotations as values drawn by one function, and the canvas that records and shows them.
class TestAnnotationCanvas : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lineWidthFollowsTheShorterSide_data();
    void lineWidthFollowsTheShorterSide();
    void guardDrawsNothingWithoutEnoughPoints();
    void pencilClickIsADot();
    void shapesAreTheSameForEveryDragDirection();
    void highlightsCompositeAtAlphaPointThree();
    void sameAnnotationCoversTheSameRegionAtEverySize();
    void painterStateIsLeftAsFound();
    void recordsAShapeAsPressAndLatestPoint();
    void pencilKeepsEveryEvent();
    void withoutAToolTheMousePassesThrough();
    void undoLeavesTheAnnotationInProgress();
    void showsWhatDrawingOneByOneShows();
    void toolCursorsAreDrawn();
};

void TestAnnotationCanvas::recordsAShapeAsPressAndLatestPoint()
{
    AnnotationCanvas canvas;
    canvas.resize(200, 100);
    canvas.setActiveTool(Tool::circle);
    QTest::mousePress(&canvas, Qt::LeftButton, Qt::NoModifier, {10, 10});
    QTest::mouseMove(&canvas, {150, 90});
    QTest::mouseMove(&canvas, {110, 60});
    QTest::mouseRelease(&canvas, Qt::LeftButton, Qt::NoModifier, {110, 60});
    QCOMPARE(canvas.annotations().size(), 1);
    QCOMPARE(canvas.annotations().first().points, (QList<QPointF>{{0.05, 0.1}, {0.55, 0.6}}));
    QVERIFY(!canvas.currentAnnotation());
    // The ellipse inscribed in (10, 10, 100, 50): red at its left and right ends.
    const QImage shown = canvas.grab().toImage();
    QVERIFY(qRed(shown.pixel(10, 35)) > 150 && qGreen(shown.pixel(10, 35)) < 100);
    QVERIFY(qRed(shown.pixel(110, 35)) > 150 && qGreen(shown.pixel(110, 35)) < 100);
    QVERIFY(qGreen(shown.pixel(60, 35)) > 200 || qAlpha(shown.pixel(60, 35)) < 50);

    // Dragged out of the canvas: kept outside 0..1, never clamped.
    QTest::mousePress(&canvas, Qt::LeftButton, Qt::NoModifier, {190, 90});
    QTest::mouseRelease(&canvas, Qt::LeftButton, Qt::NoModifier, {250, 150});
    QCOMPARE(canvas.annotations().last().points.last(), QPointF(1.25, 1.5));
}

void TestAnnotationCanvas::pencilKeepsEveryEvent()
{
    AnnotationCanvas canvas;
    canvas.resize(200, 100);
    canvas.setActiveTool(Tool::pencil);
    constexpr int drags = 7;
    QTest::mousePress(&canvas, Qt::LeftButton, Qt::NoModifier, {20, 20});
    for (int i = 1; i <= drags; ++i)
        QTest::mouseMove(&canvas, {20 + i * 10, 20 + i * 5});
    QTest::mouseRelease(&canvas, Qt::LeftButton, Qt::NoModifier, {100, 70});
    QCOMPARE(canvas.annotations().first().points.size(), drags + 2);
    // A click without movement: two identical points, drawn as a dot.
    QTest::mouseClick(&canvas, Qt::LeftButton, Qt::NoModifier, {150, 50});
    QCOMPARE(canvas.annotations().last().points, (QList<QPointF>{{0.75, 0.5}, {0.75, 0.5}}));
}

void TestAnnotationCanvas::withoutAToolTheMousePassesThrough()
{
    QWidget screenshot;
    screenshot.resize(200, 100);
    auto* canvas = new AnnotationCanvas(&screenshot);
    canvas->resize(200, 100);
    QCOMPARE(screenshot.childAt(50, 50), nullptr);
    QCOMPARE(canvas->cursor().shape(), Qt::ArrowCursor);
    canvas->setActiveTool(Tool::square);
    QCOMPARE(screenshot.childAt(50, 50), canvas);
    QCOMPARE(canvas->cursor().shape(), Qt::BitmapCursor);
    canvas->setActiveTool(std::nullopt);
    QCOMPARE(screenshot.childAt(50, 50), nullptr);
}

void TestAnnotationCanvas::undoLeavesTheAnnotationInProgress()
{
    AnnotationCanvas canvas;
    canvas.resize(100, 100);
    canvas.undo(); // nothing to undo
    canvas.setActiveTool(Tool::arrow);
    QTest::mouseClick(&canvas, Qt::LeftButton, Qt::NoModifier, {10, 10});
    QTest::mouseClick(&canvas, Qt::LeftButton, Qt::NoModifier, {20, 20});
    QTest::mousePress(&canvas, Qt::LeftButton, Qt::NoModifier, {30, 30});
    canvas.undo();
    QCOMPARE(canvas.annotations().size(), 1);
    QCOMPARE(canvas.annotations().first().points.first(), QPointF(0.1, 0.1));
    QVERIFY(canvas.currentAnnotation());
    // Switching tools mid-stroke keeps the stroke's own tool.
    canvas.setActiveTool(Tool::pencil);
    QTest::mouseRelease(&canvas, Qt::LeftButton, Qt::NoModifier, {60, 60});
    QCOMPARE(canvas.annotations().last().toolType, Tool::arrow);
    canvas.clear();
    QVERIFY(canvas.annotations().isEmpty() && !canvas.currentAnnotation());
}

void TestAnnotationCanvas::showsWhatDrawingOneByOneShows()
{
    const QList<Annotation> marks{{Tool::highlight, {{0.1, 0.1}, {0.6, 0.7}}},
                                  {Tool::square, {{0.2, 0.2}, {0.5, 0.9}}},
                                  {Tool::highlight, {{0.4, 0.3}, {0.9, 0.8}}},
                                  {Tool::arrow, {{0.9, 0.1}, {0.3, 0.6}}}};
    const QColor blue(40, 90, 160);
    QWidget screenshot;
    screenshot.resize(240, 160);
    screenshot.setAutoFillBackground(true);
    screenshot.setPalette(QPalette(blue));
    auto* canvas = new AnnotationCanvas(&screenshot);
    canvas->resize(240, 160);
    // What the screen shows against the marks drawn directly.
    const auto showsTheMarks = [&] {
        const QImage direct = render(canvas->annotations(), screenshot.size(), blue, true);
        return testing::differingPixels(screenshot.grab().toImage(), direct) == 0;
    };
    // Drawn with the mouse one by one, the screen shown after each: the layer grows by one.
    const QList<QPair<QPoint, QPoint>> strokes{{{24, 16}, {144, 112}},
                                               {{48, 32}, {120, 144}},
                                               {{96, 48}, {216, 128}},
                                               {{216, 16}, {72, 96}}};
    for (qsizetype i = 0; i < marks.size(); ++i) {
        canvas->setActiveTool(marks.at(i).toolType);
        testing::drag(canvas, strokes.at(i).first, strokes.at(i).second);
        QCOMPARE(canvas->annotations().size(), i + 1);
        QVERIFY(showsTheMarks());
    }
    canvas->undo();
    QVERIFY(showsTheMarks());
    // A layer kept for the old size is not stretched over the new one.
    canvas->resize(120, 80);
    screenshot.resize(120, 80);
    QVERIFY(showsTheMarks());
}

void TestAnnotationCanvas::toolCursorsAreDrawn()
{
    for (const Tool tool : allAnnotationTools) {
        const QImage glyph =
            toolCursorPixmap(tool).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(glyph.size(), QSize(32, 32));
        QCOMPARE(toolCursor(tool).hotSpot(), toolCursorHotSpot(tool));
        int light = 0;
        int shadow = 0;
        int yellow = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const QRgb p = glyph.pixel(x, y);
                if (qAlpha(p) > 200 && qRed(p) > 200 && qGreen(p) > 180)
                    ++light;
                else if (qAlpha(p) > 20 && qGray(p) < 60)
                    ++shadow;
                yellow += qAlpha(p) == 255 && qRed(p) > 240 && qBlue(p) < 40 ? 1 : 0;
            }
        }
        QVERIFY2(light > 20 && shadow > 10,
                 qPrintable(QStringLiteral("tool %1: %2 light, %3 shadow")
                                .arg(int(tool))
                                .arg(light)
                                .arg(shadow)));
        QCOMPARE(yellow > 0, tool == Tool::highlight);
    }
    QCOMPARE(toolCursorHotSpot(Tool::pencil), QPoint(4, 28));
    QCOMPARE(toolCursorHotSpot(Tool::arrow), QPoint(26, 6));
}

void TestAnnotationCanvas::lineWidthFollowsTheShorterSide_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("width");
    QTest::newRow("150 x 100") << QSize(150, 100) << 2;
    QTest::newRow("600 x 450") << QSize(600, 450) << 6;
    QTest::newRow("3000 x 2000") << QSize(3000, 2000) << 12;
}

void TestAnnotationCanvas::lineWidthFollowsTheShorterSide()
{
    QFETCH(QSize, size);
    QFETCH(int, width);
    QCOMPARE(annotationLineWidth(QSizeF(size)), qreal(width));
    // A horizontal pencil line is exactly that many pixels thick.
    const QImage line = render({{Tool::pencil, {{0.2, 0.5}, {0.8, 0.5}}}}, size);
    const QRect drawn = redArea(line);
    QCOMPARE(drawn.height(), width);
    // The open arrow head reaches 5 line widths back from the tip, 30 degrees either side:
    // across, it spans the head length plus one line width.
    const QImage arrow = render({{Tool::arrow, {{0.2, 0.5}, {0.8, 0.5}}}}, size);
    const int head = 5 * width;
    QVERIFY2(qAbs(redArea(arrow).height() - (head + width)) <= 1,
             qPrintable(QString::number(redArea(arrow).height())));
    // Its wings lie either side of the shaft alike.
    QVERIFY(qAbs(redArea(arrow).center().y() - size.height() / 2) <= 1);
    QCOMPARE(redArea(arrow).right(), qRound(0.8 * size.width() + width / 2.0) - 1);
    QCOMPARE(annotationLineWidth({0, 0}), 2.0);
    QCOMPARE(annotationLineWidth({1000, 100}), 2.0);
}

void TestAnnotationCanvas::guardDrawsNothingWithoutEnoughPoints()
{
    const QImage blank = render({}, {100, 80});
    for (const Tool tool : allAnnotationTools) {
        QCOMPARE(render({{tool, {}}}, {100, 80}), blank);
        // One point: nothing for a shape, and an empty path for the pencil.
        QCOMPARE(render({{tool, {{0.5, 0.5}}}}, {100, 80}), blank);
    }
    // Zero size: everything collapses to the origin, and nothing breaks.
    for (const Tool tool : allAnnotationTools) {
        QImage tiny(8, 8, QImage::Format_RGB32);
        tiny.fill(Qt::white);
        QPainter painter(&tiny);
        renderAnnotation({tool, {{0.1, 0.1}, {0.9, 0.9}}}, painter, {0, 0});
        painter.end();
        QVERIFY(QRect(0, 0, 3, 3).contains(redArea(tiny)) || redArea(tiny).isNull());
    }
}

void TestAnnotationCanvas::pencilClickIsADot()
{
    const QImage dot = render({{Tool::pencil, {{0.5, 0.5}, {0.5, 0.5}}}}, {600, 450});
    const QRect area = redArea(dot);
    QVERIFY2(area.width() >= 5 && area.width() <= 7 && area.height() >= 5 && area.height() <= 7,
             qPrintable(QStringLiteral("%1 x %2").arg(area.width()).arg(area.height())));
}

void TestAnnotationCanvas::shapesAreTheSameForEveryDragDirection()
{
    for (const Tool tool : {Tool::circle, Tool::square, Tool::highlight}) {
        const QImage forwards = render({{tool, {{0.2, 0.3}, {0.7, 0.8}}}}, {200, 100});
        QCOMPARE(render({{tool, {{0.7, 0.8}, {0.2, 0.3}}}}, {200, 100}), forwards);
        QCOMPARE(render({{tool, {{0.2, 0.8}, {0.7, 0.3}}}}, {200, 100}), forwards);
        // Points past the second are ignored.
        QCOMPARE(render({{tool, {{0.2, 0.3}, {0.7, 0.8}, {0.0, 0.0}}}}, {200, 100}), forwards);
    }
    // The square's outline straddles its rectangle (40..140 x 30..80), L = 2.
    const QImage square = render({{Tool::square, {{0.2, 0.3}, {0.7, 0.8}}}}, {200, 100});
    QCOMPARE(redArea(square), QRect(39, 29, 102, 52));
}

void TestAnnotationCanvas::highlightsCompositeAtAlphaPointThree()
{
    const QImage once = render({{Tool::highlight, {{0.1, 0.1}, {0.6, 0.6}}}}, {100, 100});
    // Yellow at 0.3 over white: red and green stay, blue drops to 70 %.
    QCOMPARE(qRed(once.pixel(30, 30)), 255);
    QVERIFY(qAbs(qBlue(once.pixel(30, 30)) - 178) <= 1);
    QCOMPARE(once.pixel(80, 80), qRgb(255, 255, 255));
    const QImage twice = render(
        {{Tool::highlight, {{0.1, 0.1}, {0.6, 0.6}}}, {Tool::highlight, {{0.3, 0.3}, {0.9, 0.9}}}},
        {100, 100});
    QVERIFY(qAbs(qBlue(twice.pixel(40, 40)) - 125) <= 2); // 0.7 of 0.7
    QVERIFY(qAbs(qBlue(twice.pixel(20, 20)) - 178) <= 1);
}

void TestAnnotationCanvas::sameAnnotationCoversTheSameRegionAtEverySize()
{
    for (const Tool tool : {Tool::circle, Tool::square, Tool::arrow, Tool::pencil}) {
        const Annotation mark{tool, {{0.25, 0.2}, {0.75, 0.7}, {0.5, 0.9}}};
        const QRect small = redArea(render({mark}, {400, 300}));
        const QRect large = redArea(render({mark}, {800, 600}));
        // Twice the size, line widths 4 and 8 included, to within a pixel of rounding.
        const auto twice = [](int big, int base) { return qAbs(big - 2 * base) <= 2; };
        QVERIFY2(twice(large.left(), small.left()) && twice(large.top(), small.top()) &&
                     twice(large.width(), small.width()) && twice(large.height(), small.height()),
                 qPrintable(QDebug::toString(small) + QDebug::toString(large)));
    }
}

void TestAnnotationCanvas::painterStateIsLeftAsFound()
{
    QImage image(50, 50, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::green, 3));
    painter.setOpacity(0.8);
    renderAnnotation({Tool::highlight, {{0, 0}, {1, 1}}}, painter, {50, 50});
    renderAnnotation({Tool::arrow, {{0, 0}, {1, 1}}}, painter, {50, 50});
    QCOMPARE(painter.pen().color(), QColor(Qt::green));
    QCOMPARE(painter.pen().widthF(), 3.0);
    QCOMPARE(painter.opacity(), 0.8);
}

QTEST_MAIN(TestAnnotationCanvas)
#include "tst_annotationcanvas.moc"
