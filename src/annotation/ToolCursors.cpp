// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolCursors.h"

#include <QPainter>
#include <QPainterPath>

#include <map>

namespace vellumbox {

namespace {

constexpr int side = 32;

struct Glyph {
    QPainterPath outline; // filled
    QPainterPath strokes; // stroked, 2 wide
};

// A writing tool lying from its tip at the lower left to its end at the upper right; the
// highlighter has a broad chisel tip.
Glyph writingTool(qreal tipWidth)
{
    QPainterPath body;
    body.moveTo(5, 27);
    body.lineTo(7 + tipWidth, 19 - tipWidth / 2);
    body.lineTo(21, 6);
    body.lineTo(26, 11);
    body.lineTo(13 + tipWidth / 2, 25 - tipWidth);
    body.closeSubpath();
    QPainterPath ferrule;
    ferrule.moveTo(9 + tipWidth / 2, 17);
    ferrule.lineTo(15, 23 - tipWidth / 2);
    return {body, ferrule};
}

Glyph glyphFor(AnnotationToolType tool)
{
    Glyph glyph;
    switch (tool) {
    case AnnotationToolType::pencil:
        return writingTool(0.0);
    case AnnotationToolType::highlight:
        return writingTool(3.0);
    case AnnotationToolType::circle:
        glyph.strokes.addEllipse(QPointF(16, 16), 8, 8); // 18 points across with its stroke
        break;
    case AnnotationToolType::square:
        glyph.strokes.addRoundedRect(QRectF(8, 8, 16, 16), 3, 3);
        break;
    case AnnotationToolType::arrow:
        glyph.strokes.moveTo(9, 23);
        glyph.strokes.lineTo(24, 8);
        glyph.strokes.moveTo(14, 8);
        glyph.strokes.lineTo(24, 8);
        glyph.strokes.lineTo(24, 18);
        break;
    }
    return glyph;
}

QColor glyphColour(AnnotationToolType tool)
{
    return tool == AnnotationToolType::highlight ? QColor(255, 204, 0) : QColor(Qt::white);
}

void paintGlyph(QPainter& painter, const Glyph& glyph, const QColor& colour, qreal grow)
{
    painter.setBrush(colour);
    painter.setPen(QPen(colour, 2.0 + grow, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (!glyph.outline.isEmpty())
        painter.drawPath(glyph.outline);
    painter.setBrush(Qt::NoBrush);
    if (!glyph.strokes.isEmpty())
        painter.drawPath(glyph.strokes);
}

} // namespace

QPoint toolCursorHotSpot(AnnotationToolType tool)
{
    switch (tool) {
    case AnnotationToolType::pencil:
    case AnnotationToolType::highlight:
        return {4, 28};
    case AnnotationToolType::arrow:
        return {26, 6};
    case AnnotationToolType::circle:
    case AnnotationToolType::square:
        return {16, 16};
    }
    return {16, 16};
}

QPixmap toolCursorPixmap(AnnotationToolType tool)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    if (!painter.isActive())
        return pixmap;
    painter.setRenderHint(QPainter::Antialiasing);
    const Glyph glyph = glyphFor(tool);
    // The shadow: black at 0.6, half a point down and right, softened by wider, fainter
    // passes in place of a blur.
    painter.save();
    painter.translate(0.5, 0.5);
    for (const qreal grow : {3.0, 2.0, 1.0})
        paintGlyph(painter, glyph, QColor::fromRgbF(0.0F, 0.0F, 0.0F, 0.2F), grow);
    painter.restore();
    paintGlyph(painter, glyph, glyphColour(tool), 0.0);
    return pixmap;
}

const QCursor& toolCursor(AnnotationToolType tool)
{
    static std::map<AnnotationToolType, QCursor> cursors;
    auto found = cursors.find(tool);
    if (found == cursors.end()) {
        const QPoint hot = toolCursorHotSpot(tool);
        found = cursors.emplace(tool, QCursor(toolCursorPixmap(tool), hot.x(), hot.y())).first;
    }
    return found->second;
}

} // namespace vellumbox
