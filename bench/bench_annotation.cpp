// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing 1,000 annotations at 3840 x 2160: one display pass, and the flattening of a
// screenshot (its pixels with every annotation drawn in) at full pixel size.
#include "BenchStats.h"
#include "DesktopPicture.h"
#include "annotation/AnnotationCanvas.h"
#include "annotation/AnnotationRenderer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QRandomGenerator>

using namespace vellumbox;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QRandomGenerator random(42);
    // Marks of the sizes people make at 4K: boxes and rings round things, arrows at them,
    // short strokes, 50 to 600 pixels across, spread over the whole screen.
    const auto mark = [&random](AnnotationToolType tool) {
        const QPointF start(random.generateDouble(), random.generateDouble());
        const QPointF reach((50 + random.bounded(550)) / 3840.0,
                            (50 + random.bounded(550)) / 2160.0);
        Annotation a{tool, {start, start + reach}};
        if (tool == AnnotationToolType::pencil) {
            a.points = {start};
            for (int k = 0; k < 20; ++k)
                a.points.append(a.points.last() +
                                QPointF(random.bounded(0.006), random.bounded(0.008) - 0.004));
        }
        return a;
    };
    QList<Annotation> annotations;
    for (int i = 0; i < 1000; ++i)
        annotations.append(
            mark(allAnnotationTools.at(static_cast<size_t>(i) % allAnnotationTools.size())));
    const QSize size(3840, 2160);
    const QImage screenshot = bench::desktopPicture(size);
    AnnotationCanvas canvas;
    canvas.resize(size);
    canvas.setAnnotations(annotations);
    canvas.setActiveTool(AnnotationToolType::arrow);
    QImage target(size, QImage::Format_ARGB32_Premultiplied);

    QElapsedTimer first;
    first.start();
    canvas.render(&target);
    const double firstPass = static_cast<double>(first.nsecsElapsed()) / 1e6;
    // A stroke in progress: every drag event asks for a display pass.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(400, 300), QPointF(400, 300),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&canvas, &press);
    QList<double> passes;
    QList<double> flattenings;
    for (int run = 0; run < 20; ++run) {
        const QPointF at(500 + run * 20, 400 + run * 10);
        QMouseEvent drag(QEvent::MouseMove, at, at, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&canvas, &drag);
        QElapsedTimer timer;
        timer.start();
        canvas.render(&target);
        passes.append(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(900, 600), QPointF(900, 600),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&canvas, &release);
    // What the screenshot's flattening does at 100 %: its pixels, then the canvas's layer.
    for (int run = 0; run < 10; ++run) {
        QElapsedTimer timer;
        timer.start();
        QImage flattened = screenshot.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter flatten(&flattened);
        flatten.drawImage(QPointF(0, 0), canvas.finishedLayerFor(size));
        flatten.end();
        flattenings.append(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    QList<double> fresh;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        QImage flattened = screenshot.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter flatten(&flattened);
        flatten.setRenderHint(QPainter::Antialiasing);
        for (const Annotation& a : std::as_const(annotations))
            renderAnnotation(a, flatten, QSizeF(size));
        flatten.end();
        fresh.append(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    bench::reportValue(QStringLiteral("first display pass, 1,000 annotations (builds the layer)"),
                       firstPass, QStringLiteral("ms"));
    bench::report(QStringLiteral("display pass while drawing, 1,000 annotations at 4K"), passes);
    bench::report(QStringLiteral("flattening at 100 %, 1,000 annotations at 4K"), flattenings);
    bench::report(QStringLiteral("flattening at another zoom (every mark drawn afresh)"), fresh);
    return 0;
}
