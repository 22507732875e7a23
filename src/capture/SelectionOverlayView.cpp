// SPDX-License-Identifier: GPL-3.0-or-later
#include "SelectionOverlayView.h"

#include "CaptureGeometry.h"
#include "SelectionCursor.h"
#include "platform/SelectionBackdrop.h"
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
{
    setCursor(selectionCrosshairCursor());
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setBackground(std::move(background));
}

void SelectionOverlayView::setBackground(QImage background)
{
    background_ = std::move(background);
    setAttribute(Qt::WA_OpaquePaintEvent, !background_.isNull());
    update();
}

SelectionOverlayView::~SelectionOverlayView() = default;

bool SelectionOverlayView::paintOnServer(std::unique_ptr<SelectionBackdrop> backdrop)
{
    // Qt must not cover the server's painting with a picture of its own.
    const auto paintOnScreen = [this](bool on) {
        for (QWidget* widget : {window(), static_cast<QWidget*>(this)}) {
            widget->setAttribute(Qt::WA_PaintOnScreen, on);
            widget->setAttribute(Qt::WA_NoSystemBackground, on);
        }
    };
    paintOnScreen(true);
    setAttribute(Qt::WA_NativeWindow);
    if (!backdrop->attach(winId())) {
        paintOnScreen(false);
        return false;
    }
    backdrop_ = std::move(backdrop);
    return true;
}

void SelectionOverlayView::showDimmedScreen()
{
    if (!backdrop_)
        return;
    backdrop_->dim(deviceArea());
}

QPaintEngine* SelectionOverlayView::paintEngine() const
{
    return backdrop_ ? nullptr : QWidget::paintEngine();
}

QRect SelectionOverlayView::deviceArea() const
{
    return {QPoint(), size() * devicePixelRatioF()};
}

QRect SelectionOverlayView::devicePixels(const std::optional<QRectF>& selection) const
{
    if (!selection)
        return {};
    const qreal ratio = devicePixelRatioF();
    return QRectF(selection->topLeft() * ratio, selection->size() * ratio).toRect();
}

void SelectionOverlayView::repaintOnServer(const QRect& before, const QRegion& within)
{
    const int border = qRound(borderWidth * devicePixelRatioF());
    const SelectionRepaint repaint =
        selectionRepaint(before, devicePixels(currentSelection()), border);
    backdrop_->dim(repaint.dim & within);
    backdrop_->reveal(repaint.reveal & within);
    backdrop_->fill(repaint.border & within, systemBlue());
}

void SelectionOverlayView::selectionChanged(const std::optional<QRectF>& before)
{
    if (backdrop_)
        repaintOnServer(devicePixels(before), deviceArea());
    else
        update(repaintArea(before).united(repaintArea(currentSelection())));
}

void SelectionOverlayView::paintEvent(QPaintEvent* event)
{
    if (backdrop_) {
        // The server has painted the dimmed screen into what was exposed.
        const qreal ratio = devicePixelRatioF();
        QRegion exposed;
        for (const QRect& r : event->region())
            exposed +=
                QRectF(QRectF(r).topLeft() * ratio, QSizeF(r.size()) * ratio).toAlignedRect();
        repaintOnServer(QRect(), exposed);
        return;
    }
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
    const std::optional<QRectF> before = currentSelection();
    drag_.moveTo(point);
    selectionChanged(before);
}

void SelectionOverlayView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    drag_.begin(viewPoint(event));
    selectionChanged(std::nullopt);
}

void SelectionOverlayView::mouseMoveEvent(QMouseEvent* event)
{
    moveCurrentPoint(viewPoint(event));
}

void SelectionOverlayView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const std::optional<QRectF> before = currentSelection();
    const std::optional<QRectF> selection = drag_.finish(viewPoint(event), minimumSelectionSize);
    selectionChanged(before);
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
    const std::optional<QRectF> before = currentSelection();
    drag_.cancel();
    selectionChanged(before);
    if (onSelectionCancelled)
        onSelectionCancelled();
}

} // namespace vellumbox
