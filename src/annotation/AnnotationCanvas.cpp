// SPDX-License-Identifier: GPL-3.0-or-later
#include "AnnotationCanvas.h"

#include "AnnotationRenderer.h"
#include "ToolCursors.h"

#include <QMouseEvent>
#include <QPainter>

namespace vellumbox {

AnnotationCanvas::AnnotationCanvas(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
}

void AnnotationCanvas::setActiveTool(std::optional<AnnotationToolType> tool)
{
    activeTool_ = tool;
    // Without a tool the canvas is invisible to the mouse.
    setAttribute(Qt::WA_TransparentForMouseEvents, !tool);
    updateCursor();
}

void AnnotationCanvas::setAnnotations(QList<Annotation> annotations)
{
    annotations_ = std::move(annotations);
    layer_ = QImage();
    update();
}

void AnnotationCanvas::clear()
{
    annotations_.clear();
    currentAnnotation_.reset();
    layer_ = QImage();
    update();
}

void AnnotationCanvas::undo()
{
    if (annotations_.isEmpty())
        return;
    annotations_.removeLast();
    layer_ = QImage();
    update();
}

const QImage& AnnotationCanvas::finishedLayer()
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (layer_.isNull() || layer_.size() != pixels || layer_.devicePixelRatio() != ratio) {
        layer_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        layer_.setDevicePixelRatio(ratio);
        layer_.fill(Qt::transparent);
        layered_ = 0;
    }
    if (layered_ < annotations_.size()) {
        QPainter painter(&layer_);
        painter.setRenderHint(QPainter::Antialiasing);
        for (qsizetype i = layered_; i < annotations_.size(); ++i)
            renderAnnotation(annotations_.at(i), painter, QSizeF(size()));
        layered_ = annotations_.size();
    }
    return layer_;
}

QImage AnnotationCanvas::finishedLayerFor(const QSize& pixels)
{
    if (devicePixelRatioF() != 1.0 || size() != pixels)
        return {};
    return finishedLayer();
}

void AnnotationCanvas::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layer_ = QImage();
}

void AnnotationCanvas::updateCursor()
{
    if (activeTool_)
        setCursor(toolCursor(*activeTool_));
    else
        setCursor(Qt::ArrowCursor);
}

void AnnotationCanvas::paintEvent(QPaintEvent*)
{
    const QImage& finished = finishedLayer();
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), finished);
    if (currentAnnotation_) {
        painter.setRenderHint(QPainter::Antialiasing);
        renderAnnotation(*currentAnnotation_, painter, QSizeF(size()));
    }
}

QPointF AnnotationCanvas::normalised(const QPointF& position) const
{
    // Outside the canvas the values leave 0..1 and are kept so: the mark runs off the edge.
    if (width() <= 0 || height() <= 0)
        return position;
    return {position.x() / width(), position.y() / height()};
}

void AnnotationCanvas::extendCurrent(const QPointF& position)
{
    const QPointF point = normalised(position);
    QList<QPointF>& points = currentAnnotation_->points;
    if (currentAnnotation_->toolType == AnnotationToolType::pencil || points.size() < 2)
        points.append(point);
    else
        points[1] = point; // a shape spans the press and the latest position
    update();
}

void AnnotationCanvas::mousePressEvent(QMouseEvent* event)
{
    updateCursor();
    if (!activeTool_ || event->button() != Qt::LeftButton)
        return;
    // A press that never got its release is dropped.
    currentAnnotation_ = Annotation{*activeTool_, {normalised(event->position())}};
    update();
}

void AnnotationCanvas::mouseMoveEvent(QMouseEvent* event)
{
    if (currentAnnotation_ && event->buttons().testFlag(Qt::LeftButton))
        extendCurrent(event->position());
}

void AnnotationCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (!currentAnnotation_ || event->button() != Qt::LeftButton)
        return;
    extendCurrent(event->position());
    annotations_.append(*currentAnnotation_);
    currentAnnotation_.reset();
    update();
}

void AnnotationCanvas::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    updateCursor();
}

void AnnotationCanvas::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    setCursor(Qt::ArrowCursor);
}

} // namespace vellumbox
