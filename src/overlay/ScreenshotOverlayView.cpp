// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenshotOverlayView.h"

#include "InteractionRules.h"
#include "PanelGeometry.h"
#include "platform/Clock.h"
#include "platform/SystemColors.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>

namespace vellumbox {

ScreenshotOverlayView::ScreenshotOverlayView(Clock& clock, QWidget* parent)
    : QWidget(parent)
    , clock_(clock)
{
    setCursor(Qt::OpenHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void ScreenshotOverlayView::setBorderStyle(BorderStyle style)
{
    borderStyle_ = style;
    updateBorderPath();
}

void ScreenshotOverlayView::updateBorderPath()
{
    border_.reset();
    if (borderStyle_ != BorderStyle::None) {
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()).adjusted(1.0, 1.0, -1.0, -1.0), 7.0, 7.0);
        border_ = Border{path, borderStyle_ == BorderStyle::Dashed};
    }
    update();
}

void ScreenshotOverlayView::setContentOffset(qreal offset)
{
    contentOffset_ = offset;
    update();
}

QRectF ScreenshotOverlayView::pictureFrame() const
{
    const QImage shown = picture ? picture() : QImage();
    return aspectFitRect(QSizeF(shown.size()), QRectF(rect()));
}

void ScreenshotOverlayView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (roundedClip_) {
        QPainterPath clip;
        clip.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setClipPath(clip);
    }
    painter.translate(contentOffset_, 0.0);
    // Hard pixels at every zoom: no smoothing.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (picture) {
        const QImage shown = picture();
        painter.drawImage(aspectFitRect(shown.size(), QRectF(rect())), shown);
    }
    if (border_) {
        QPen pen(systemBlue(), borderWidth);
        if (border_->dashed)
            pen.setDashPattern({6.0 / borderWidth, 4.0 / borderWidth});
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(border_->path);
    }
}

void ScreenshotOverlayView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updateBorderPath();
}

void ScreenshotOverlayView::mousePressEvent(QMouseEvent* event)
{
    // In edit mode the annotation canvas lies on top and takes the mouse.
    if (event->button() != Qt::LeftButton)
        return;
    Q_EMIT pressed();
    setFocus(Qt::MouseFocusReason);
    mouseDownTime_ = clock_.nowMs();
    mouseDownLocation_ = event->position();
    lastGlobalPosition_ = event->globalPosition();
    isDragging_ = false;
    setCursor(Qt::ClosedHandCursor);
}

void ScreenshotOverlayView::mouseMoveEvent(QMouseEvent* event)
{
    if (!mouseDownLocation_)
        return;
    const QPointF delta = event->globalPosition() - lastGlobalPosition_;
    lastGlobalPosition_ = event->globalPosition();
    // Tested on every event against the window-relative position: the window follows the
    // pointer and trails it by up to the threshold.
    if (!isDragDistance(*mouseDownLocation_, event->position()))
        return;
    isDragging_ = true;
    Q_EMIT dragged(delta.toPoint());
}

void ScreenshotOverlayView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    setCursor(Qt::OpenHandCursor);
    const bool click =
        !isDragging_ && mouseDownTime_ && isClickDuration(clock_.nowMs() - *mouseDownTime_);
    mouseDownTime_.reset();
    mouseDownLocation_.reset();
    isDragging_ = false;
    if (click)
        Q_EMIT clicked();
}

void ScreenshotOverlayView::keyPressEvent(QKeyEvent* event)
{
    if (!onKey || !onKey(*event))
        QWidget::keyPressEvent(event);
}

void ScreenshotOverlayView::contextMenuEvent(QContextMenuEvent* event)
{
    Q_EMIT contextMenuRequested(event->globalPos());
}

} // namespace vellumbox
