// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenshotOverlayView.h"

#include "PanelGeometry.h"
#include "RotatedImage.h"
#include "ScreenshotOverlayPanel.h"
#include "platform/SystemColors.h"

#include <QPainter>

namespace vellumbox {

ScreenshotOverlayView::ScreenshotOverlayView(QImage image, ScreenshotOverlayPanel* panel,
                                             QWidget* parent)
    : QWidget(parent)
    , image_(std::move(image))
    , panel_(panel)
    , displayed_(image_)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void ScreenshotOverlayView::exitEditMode()
{
    if (!isEditing_)
        return;
    isEditing_ = false;
    if (panel_)
        panel_->setInEditMode(false);
    updateBorder();
}

void ScreenshotOverlayView::applyRotation(int degrees)
{
    if (image_.isNull())
        return;
    displayed_ = rotatedImage(image_, degrees, image_.deviceIndependentSize()).image;
    update();
}

void ScreenshotOverlayView::updateBorder()
{
    border_.reset();
    const bool pinned = panel_ && panel_->isPinned();
    if (pinned || isEditing_) {
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()).adjusted(1.0, 1.0, -1.0, -1.0), 7.0, 7.0);
        // Edit mode wins over pinned.
        border_ = Border{path, isEditing_};
    }
    update();
}

void ScreenshotOverlayView::setContentOffset(qreal offset)
{
    contentOffset_ = offset;
    update();
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
    painter.drawImage(aspectFitRect(displayed_.size(), QRectF(rect())), displayed_);
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
    updateBorder();
}

} // namespace vellumbox
