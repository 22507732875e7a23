// SPDX-License-Identifier: GPL-3.0-or-later
#include "annotation/AnnotationCanvas.h"
#include "annotation/AnnotationRenderer.h"
#include "annotation/ToolCursors.h"
#include "support/TestSupport.h"

#include <QPainter>
#include <QTest>

using namespace vellumbox;
using Tool = AnnotationToolType;

class TestAnnotationCanvas : public QObject {
    Q_OBJECT
private Q_SLOTS:
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
    QWidget screenshot;
    screenshot.resize(240, 160);
    screenshot.setAutoFillBackground(true);
    screenshot.setPalette(QPalette(QColor(40, 90, 160)));
    auto* canvas = new AnnotationCanvas(&screenshot);
    canvas->resize(240, 160);
    const auto direct = [](const QList<Annotation>& list) {
        QImage image(240, 160, QImage::Format_ARGB32_Premultiplied);
        image.fill(QColor(40, 90, 160));
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        for (const Annotation& a : list)
            renderAnnotation(a, painter, {240, 160});
        return image;
    };
    const auto near = [](const QImage& a, const QImage& b) {
        return testing::differingPixels(a, b) == 0;
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
        QVERIFY(
            near(screenshot.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 direct(canvas->annotations())));
    }
    canvas->undo();
    QVERIFY(near(screenshot.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 direct(canvas->annotations())));
    canvas->resize(120, 80);
    screenshot.resize(120, 80);
    const QImage half = screenshot.grab().toImage();
    QCOMPARE(half.size(), QSize(120, 80));
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
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const QRgb p = glyph.pixel(x, y);
                if (qAlpha(p) > 200 && qRed(p) > 200 && qGreen(p) > 180)
                    ++light;
                else if (qAlpha(p) > 20 && qGray(p) < 60)
                    ++shadow;
            }
        }
        QVERIFY2(light > 20 && shadow > 10,
                 qPrintable(QStringLiteral("tool %1: %2 light, %3 shadow")
                                .arg(int(tool))
                                .arg(light)
                                .arg(shadow)));
        // White glyphs, but the highlighter is yellow.
        const bool yellow = tool == Tool::highlight;
        bool sawBlueChannelLow = false;
        for (int y = 0; y < 32 && !sawBlueChannelLow; ++y)
            for (int x = 0; x < 32; ++x)
                if (qAlpha(glyph.pixel(x, y)) == 255 && qRed(glyph.pixel(x, y)) > 240 &&
                    qBlue(glyph.pixel(x, y)) < 40)
                    sawBlueChannelLow = true;
        QCOMPARE(sawBlueChannelLow, yellow);
    }
    QCOMPARE(toolCursorHotSpot(Tool::pencil), QPoint(4, 28));
    QCOMPARE(toolCursorHotSpot(Tool::arrow), QPoint(26, 6));
}

QTEST_MAIN(TestAnnotationCanvas)
#include "tst_annotationcanvas.moc"
