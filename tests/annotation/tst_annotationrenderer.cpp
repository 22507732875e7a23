// SPDX-License-Identifier: GPL-3.0-or-later
#include "annotation/AnnotationRenderer.h"

#include <QPainter>
#include <QTest>

using namespace vellumbox;
using Tool = AnnotationToolType;

namespace {

QImage render(const QList<Annotation>& annotations, QSize size, QColor background = Qt::white)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(background);
    QPainter painter(&image);
    for (const Annotation& a : annotations)
        renderAnnotation(a, painter, QSizeF(size));
    return image;
}

bool isRed(QRgb p)
{
    return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60;
}

// The bounding box of the red pixels.
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

class TestAnnotationRenderer : public QObject {
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
};

void TestAnnotationRenderer::lineWidthFollowsTheShorterSide_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("width");
    QTest::newRow("150 x 100") << QSize(150, 100) << 2;
    QTest::newRow("600 x 450") << QSize(600, 450) << 6;
    QTest::newRow("3000 x 2000") << QSize(3000, 2000) << 12;
}

void TestAnnotationRenderer::lineWidthFollowsTheShorterSide()
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

void TestAnnotationRenderer::guardDrawsNothingWithoutEnoughPoints()
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

void TestAnnotationRenderer::pencilClickIsADot()
{
    const QImage dot = render({{Tool::pencil, {{0.5, 0.5}, {0.5, 0.5}}}}, {600, 450});
    const QRect area = redArea(dot);
    QVERIFY2(area.width() >= 5 && area.width() <= 7 && area.height() >= 5 && area.height() <= 7,
             qPrintable(QStringLiteral("%1 x %2").arg(area.width()).arg(area.height())));
}

void TestAnnotationRenderer::shapesAreTheSameForEveryDragDirection()
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

void TestAnnotationRenderer::highlightsCompositeAtAlphaPointThree()
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

void TestAnnotationRenderer::sameAnnotationCoversTheSameRegionAtEverySize()
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

void TestAnnotationRenderer::painterStateIsLeftAsFound()
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

QTEST_MAIN(TestAnnotationRenderer)
#include "tst_annotationrenderer.moc"
