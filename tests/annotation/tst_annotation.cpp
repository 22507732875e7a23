// SPDX-License-Identifier: GPL-3.0-or-later
#include "annotation/AnnotationCanvas.h"
#include "annotation/AnnotationRenderer.h"
#include "annotation/ToolCursors.h"
#include "support/TestSupport.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>

using namespace vellumbox;
using namespace vellumbox::testing;
using Tool = AnnotationToolType;

namespace {

QImage render(const QList<Annotation>& annotations, QSize size, QColor background = Qt::white,
              bool antialiased = false)
{
    QImage image = filledPicture(size, background);
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
            if (isRed(image.pixel(x, y)))
                area |= QRect(x, y, 1, 1);
    return area;
}

} // namespace

class TestAnnotation : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lineWidthFollowsTheShorterSide_data()
    {
        columns<QSize, int>({"size", "width"});
        QTest::newRow("150 x 100") << QSize(150, 100) << 2;
        QTest::newRow("600 x 450") << QSize(600, 450) << 6;
        QTest::newRow("3000 x 2000") << QSize(3000, 2000) << 12;
    }

    void lineWidthFollowsTheShorterSide()
    {
        const auto [size, width] = fetch<QSize, int>({"size", "width"});
        // A horizontal pencil line is exactly that many pixels thick; a click, a dot as wide.
        QCOMPARE(redArea(render({{Tool::pencil, {{0.2, 0.5}, {0.8, 0.5}}}}, size)).height(), width);
        const QRect dot = redArea(render({{Tool::pencil, {{0.5, 0.5}, {0.5, 0.5}}}}, size));
        QVERIFY2(qAbs(dot.width() - width) <= 1 && qAbs(dot.height() - width) <= 1,
                 qPrintable(QDebug::toString(dot)));
        // The open head reaches 5 widths back, 30 degrees each side: across, 5 widths and the pen.
        const QRect arrow = redArea(render({{Tool::arrow, {{0.2, 0.5}, {0.8, 0.5}}}}, size));
        QVERIFY2(qAbs(arrow.height() - 6 * width) <= 1,
                 qPrintable(QString::number(arrow.height())));
        // Its wings lie either side of the shaft alike.
        QVERIFY(qAbs(arrow.center().y() - size.height() / 2) <= 1);
        QCOMPARE(arrow.right(), qRound(0.8 * size.width() + width / 2.0) - 1);
        // Upright too, where a wing's angle swapped for the other's would show.
        const QRect up = redArea(render({{Tool::arrow, {{0.5, 0.8}, {0.5, 0.2}}}}, size));
        QVERIFY(qAbs(up.width() - arrow.height()) <= 1 &&
                qAbs(up.center().x() - size.width() / 2) <= 1);
    }

    // Shapes need two points and ignore the drag's direction; highlights blend at 0.3.
    void rendererDrawsWholeShapesAndBlendsHighlights()

    {
        const QImage blank = render({}, {100, 80});
        for (const Tool tool : allAnnotationTools) {
            QCOMPARE(render({{tool, {}}}, {100, 80}), blank);
            // One point: nothing for a shape, and an empty path for the pencil.
            QCOMPARE(render({{tool, {{0.5, 0.5}}}}, {100, 80}), blank);
            // Zero size: everything collapses to the origin, and nothing breaks.
            QImage tiny = filledPicture({8, 8}, Qt::white);
            QPainter painter(&tiny);
            renderAnnotation({tool, {{0.1, 0.1}, {0.9, 0.9}}}, painter, {0, 0});
            painter.end();
            QVERIFY(QRect(0, 0, 3, 3).contains(redArea(tiny)) || redArea(tiny).isNull());
        }
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

        const QImage once = render({{Tool::highlight, {{0.1, 0.1}, {0.6, 0.6}}}}, {100, 100});
        // Yellow at 0.3 over white: red and green stay, blue drops to 70 %.
        QVERIFY(near(once.pixel(30, 30), qRgb(255, 255, 178), 1));
        QCOMPARE(once.pixel(80, 80), qRgb(255, 255, 255));

        const QImage twice = render({{Tool::highlight, {{0.1, 0.1}, {0.6, 0.6}}},
                                     {Tool::highlight, {{0.3, 0.3}, {0.9, 0.9}}}},
                                    {100, 100});
        QVERIFY(qAbs(qBlue(twice.pixel(40, 40)) - 125) <= 2); // 0.7 of 0.7
        // Drawing leaves the painter as it found it: no opacity or pen carries over.
        QImage image(50, 50, QImage::Format_RGB32);
        QPainter painter(&image);
        painter.setPen(QPen(Qt::green, 3));
        painter.setOpacity(0.8);
        renderAnnotation({Tool::highlight, {{0, 0}, {1, 1}}}, painter, {50, 50});
        renderAnnotation({Tool::arrow, {{0, 0}, {1, 1}}}, painter, {50, 50});
        QCOMPARE(painter.pen(), QPen(Qt::green, 3));
        QCOMPARE(painter.opacity(), 0.8);
    }

    void canvasRecordsStrokesOnlyWithATool()
    {
        QWidget screenshot;
        screenshot.resize(200, 100);
        auto* canvas = new AnnotationCanvas(&screenshot);
        canvas->resize(200, 100);
        const auto points = [canvas] { return canvas->annotations().last().points; };
        QCOMPARE(screenshot.childAt(50, 50), nullptr);
        QCOMPARE(canvas->cursor().shape(), Qt::ArrowCursor);
        canvas->undo(); // nothing to undo
        canvas->setActiveTool(Tool::circle);
        QCOMPARE(screenshot.childAt(50, 50), canvas);
        QCOMPARE(canvas->cursor().shape(), Qt::BitmapCursor);
        // A shape keeps the press and the latest point.
        QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, {10, 10});
        QTest::mouseMove(canvas, {150, 90});
        QTest::mouseMove(canvas, {110, 60});
        QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, {110, 60});
        QCOMPARE(points(), (QList<QPointF>{{0.05, 0.1}, {0.55, 0.6}}));
        QVERIFY(!canvas->currentAnnotation());
        // Dragged out of the canvas: kept outside 0..1, never clamped.
        QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, {190, 90});
        QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, {250, 150});
        QCOMPARE(points().last(), QPointF(1.25, 1.5));

        // The pencil keeps every event; a click without movement is two identical points.
        canvas->setActiveTool(Tool::pencil);
        QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, {20, 20});
        for (int i = 1; i <= 7; ++i)
            QTest::mouseMove(canvas, {20 + i * 10, 20 + i * 5});
        QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, {100, 70});
        QCOMPARE(points().size(), 9);
        QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, {150, 50});
        QCOMPARE(points(), (QList<QPointF>{{0.75, 0.5}, {0.75, 0.5}}));

        // Undo leaves the stroke in progress, which keeps its own tool.
        canvas->setActiveTool(Tool::arrow);
        QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, {30, 30});
        canvas->undo();
        QCOMPARE(canvas->annotations().size(), 3);
        QCOMPARE(points().size(), 9);
        QVERIFY(canvas->currentAnnotation());
        canvas->setActiveTool(Tool::pencil);
        QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, {60, 60});
        QCOMPARE(canvas->annotations().last().toolType, Tool::arrow);
        canvas->clear();
        QVERIFY(canvas->annotations().isEmpty() && !canvas->currentAnnotation());
        // Not laid out yet: the points are kept as they came, never divided by nothing.
        for (const QSize empty : {QSize(0, 100), QSize(100, 0)}) {
            canvas->resize(empty);
            QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, {5, 5});
            QCOMPARE(points().first(), QPointF(5, 5));
        }
        canvas->setActiveTool(std::nullopt);
        QCOMPARE(screenshot.childAt(50, 50), nullptr);
    }

    void showsWhatDrawingOneByOneShows()
    {
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
            return differingPixels(screenshot.grab().toImage(), direct) == 0;
        };
        // Drawn with the mouse one by one, the screen shown after each: the layer grows by one.
        const QList<std::tuple<Tool, QPoint, QPoint>> strokes{
            {Tool::highlight, {24, 16}, {144, 112}},
            {Tool::square, {48, 32}, {120, 144}},
            {Tool::highlight, {96, 48}, {216, 128}},
            {Tool::arrow, {216, 16}, {72, 96}}};
        for (const auto& [tool, from, to] : strokes) {
            canvas->setActiveTool(tool);
            drag(canvas, from, to);
            QVERIFY(showsTheMarks());
        }
        QCOMPARE(canvas->annotations().size(), 4);
        canvas->undo();
        QVERIFY(showsTheMarks());
        // A layer kept for the old size is not stretched over the new one.
        canvas->resize(120, 80);
        screenshot.resize(120, 80);
        QVERIFY(showsTheMarks());
    }

    void toolCursorsAreDrawn()
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
            QVERIFY2(light > 20 && shadow > 10, qPrintable(QString::number(int(tool))));
            QCOMPARE(yellow > 0, tool == Tool::highlight);
        }
        QCOMPARE(toolCursorHotSpot(Tool::pencil), QPoint(4, 28));
        QCOMPARE(toolCursorHotSpot(Tool::arrow), QPoint(26, 6));
    }
};

QTEST_MAIN(TestAnnotation)
#include "tst_annotation.moc"
