// SPDX-License-Identifier: GPL-3.0-or-later
#include "SelectionOverlayView.h"

#include "CaptureGeometry.h"
#include "SelectionCursor.h"
#include "platform/SystemColors.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace vellumbox {

namespace {

// The area a change of the selection repaints: the rectangle with its border.
QRect repaintArea(const std::optional<QRectF>& selection)
{
    if (!selection)
        return {};
    const qreal margin = SelectionOverlayView::borderWidth + 1.0;
    return selection->adjusted(-margin, -margin, margin, margin).toAlignedRect();
}

} // namespace

SelectionOverlayView::SelectionOverlayView(QImage background, QWidget* parent)
    : QWidget(parent)
    , background_(std::move(background))
{
    setCursor(selectionCrosshairCursor());
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, !background_.isNull());
}

void SelectionOverlayView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (!background_.isNull())
        painter.drawImage(event->rect(), background_,
                          QRectF(QRectF(event->rect()).topLeft() * background_.devicePixelRatio(),
                                 QSizeF(event->rect().size()) * background_.devicePixelRatio()));
    const std::optional<QRectF> selection = currentSelection();
    if (!selection) {
        painter.fillRect(rect(), overlayColor());
        return;
    }
    // Dim everything but the selection, which shows the screen as it is.
    QRegion dimmed(rect());
    dimmed -= QRegion(selection->toAlignedRect());
    painter.setClipRegion(dimmed);
    painter.fillRect(rect(), overlayColor());
    painter.setClipping(false);
    // The border is centred on the rectangle's edge: half of it lies inside.
    painter.setPen(QPen(systemBlue(), borderWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(*selection);
}

QPointF SelectionOverlayView::viewPoint(const QMouseEvent* event) const
{
    return clampToSize(snapToLogicalPixel(event->position()), QSizeF(size()));
}

void SelectionOverlayView::moveCurrentPoint(const QPointF& point)
{
    const QRect before = repaintArea(currentSelection());
    drag_.moveTo(point);
    update(before.united(repaintArea(currentSelection())));
}

void SelectionOverlayView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    drag_.begin(viewPoint(event));
    update(repaintArea(currentSelection()));
}

void SelectionOverlayView::mouseMoveEvent(QMouseEvent* event)
{
    moveCurrentPoint(viewPoint(event));
}

void SelectionOverlayView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    update(repaintArea(currentSelection()));
    const std::optional<QRectF> selection = drag_.finish(viewPoint(event), minimumSelectionSize);
    // Reported last: the owner may close this view's window in the callback.
    if (selection) {
        if (onSelectionComplete)
            onSelectionComplete(*selection);
    } else if (onSelectionCancelled) {
        onSelectionCancelled();
    }
}

void SelectionOverlayView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Escape) {
        QWidget::keyPressEvent(event);
        return;
    }
    drag_.cancel();
    update();
    if (onSelectionCancelled)
        onSelectionCancelled();
}

} // namespace vellumbox
