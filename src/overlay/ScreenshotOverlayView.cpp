// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenshotOverlayView.h"

#include "CompactImage.h"
#include "PanelGeometry.h"
#include "RotatedImage.h"
#include "ScreenshotOverlayPanel.h"
#include "platform/SystemColors.h"

#include <QPainter>

namespace vellumbox {

ScreenshotOverlayView::ScreenshotOverlayView(CompactImage* pixels, ScreenshotOverlayPanel* panel,
                                             QWidget* parent)
    : QWidget(parent)
    , pixels_(pixels)
    , panel_(panel)
{
    connect(pixels, &CompactImage::compacted, this, [this] { displayed_ = QImage(); });
}

QImage ScreenshotOverlayView::image() const
{
    return pixels_ ? pixels_->image() : QImage();
}

QImage ScreenshotOverlayView::displayedImage()
{
    if (displayed_.isNull() && pixels_) {
        const QImage pixels = pixels_->image();
        displayed_ = rotatedImage(pixels, rotationDegrees_, pixels.deviceIndependentSize()).image;
    }
    return displayed_;
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
    rotationDegrees_ = degrees;
    displayed_ = QImage();
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
    const QImage shown = displayedImage();
    painter.drawImage(aspectFitRect(shown.size(), QRectF(rect())), shown);
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
