// SPDX-License-Identifier: GPL-3.0-or-later
#include "AnnotationRenderer.h"

#include "platform/RectangleDrag.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vellumbox {

namespace {

constexpr qreal highlightAlpha = 0.3;
constexpr qreal arrowHeadFactor = 5.0;
constexpr qreal arrowWingAngle = std::numbers::pi / 6.0;

void drawPencil(QPainter& painter, const QList<QPointF>& points, const QPen& pen)
{
    const bool stayedPut = points.size() > 1 &&
                           std::all_of(points.begin(), points.end(),
                                       [&points](const QPointF& p) { return p == points.first(); });
    if (stayedPut) {
        // Qt's stroker drops zero-length segments: a click still leaves its round dot.
        painter.setPen(Qt::NoPen);
        painter.setBrush(pen.color());
        painter.drawEllipse(points.first(), pen.widthF() / 2.0, pen.widthF() / 2.0);
        return;
    }
    QPainterPath path(points.first());
    for (qsizetype i = 1; i < points.size(); ++i)
        path.lineTo(points.at(i));
    painter.strokePath(path, pen);
}

// Shaft and open head in one path, stroked alike.
QPainterPath arrowPath(const QPointF& start, const QPointF& end, qreal width)
{
    const qreal theta = std::atan2(end.y() - start.y(), end.x() - start.x());
    const qreal head = arrowHeadFactor * width;
    const QPointF wingA(end.x() - head * std::cos(theta - arrowWingAngle),
                        end.y() - head * std::sin(theta - arrowWingAngle));
    const QPointF wingB(end.x() - head * std::cos(theta + arrowWingAngle),
                        end.y() - head * std::sin(theta + arrowWingAngle));
    QPainterPath path(start);
    path.lineTo(end);
    path.moveTo(wingA);
    path.lineTo(end);
    path.lineTo(wingB);
    return path;
}

} // namespace

qreal annotationLineWidth(const QSizeF& size)
{
    return std::max(std::min(std::min(size.width(), size.height()) * 4.0 / 300.0, 12.0), 2.0);
}

void renderAnnotation(const Annotation& annotation, QPainter& painter, const QSizeF& size)
{
    const AnnotationToolType tool = annotation.toolType;
    const qsizetype count = annotation.points.size();
    if (count == 0 || (count < 2 && tool != AnnotationToolType::pencil))
        return;
    QList<QPointF> points;
    points.reserve(count);
    for (const QPointF& p : annotation.points)
        points.append({p.x() * size.width(), p.y() * size.height()});
    const qreal width = annotationLineWidth(size);

    painter.save();
    painter.setOpacity(tool == AnnotationToolType::highlight ? highlightAlpha : 1.0);
    const QColor red(255, 0, 0);
    // Shapes keep the drawing defaults of butt ends and mitred corners; lines are rounded.
    const QPen shapePen(red, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    const QPen linePen(red, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (tool) {
    case AnnotationToolType::pencil:
        drawPencil(painter, points, linePen);
        break;
    case AnnotationToolType::circle:
        painter.setPen(shapePen);
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(rectFromPoints(points.at(0), points.at(1)));
        break;
    case AnnotationToolType::square:
        painter.setPen(shapePen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rectFromPoints(points.at(0), points.at(1)));
        break;
    case AnnotationToolType::arrow:
        painter.strokePath(arrowPath(points.at(0), points.at(1), width), linePen);
        break;
    case AnnotationToolType::highlight:
        painter.fillRect(rectFromPoints(points.at(0), points.at(1)), QColor(255, 255, 0));
        break;
    }
    painter.restore();
}

} // namespace vellumbox
