// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/RectangleDrag.h"

#include <QColor>
#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

namespace vellumbox {

class SelectionBackdrop;

// Dims one screen and lets the user drag a rectangle on it, shown undimmed with a blue
// border. Reports a rectangle of at least 5 x 5 in its own coordinates, or a cancellation.
class SelectionOverlayView : public QWidget {
    Q_OBJECT
public:
    // background: the screen's own picture, painted under the dimming where no compositor
    // can show the live screen through a translucent window; may be null.
    SelectionOverlayView(QImage background, QWidget* parent);
    ~SelectionOverlayView() override;

    void setBackground(QImage background);

    // Lets the display server paint the dimmed screen and the selection from the picture it
    // holds; false, leaving the view as it was, if this view's window cannot show it.
    bool paintOnServer(std::unique_ptr<SelectionBackdrop> backdrop);
    // Until then a view painted by the server leaves the screen as it was.
    void showDimmedScreen();
    QPaintEngine* paintEngine() const override;

    std::function<void(const QRectF&)> onSelectionComplete;
    std::function<void()> onSelectionCancelled;

    bool isDragging() const { return drag_.isActive(); }
    // The rectangle being dragged, in view coordinates.
    std::optional<QRectF> currentSelection() const { return drag_.rect(); }

    static constexpr double minimumSelectionSize = 5.0;
    static constexpr double borderWidth = 2.0;
    static QColor overlayColor() { return QColor::fromRgbF(0.0F, 0.0F, 0.0F, 0.3F); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPointF viewPoint(const QMouseEvent* event) const;
    void moveCurrentPoint(const QPointF& point);
    // Shows the change from the selection before to the current one.
    void selectionChanged(const std::optional<QRectF>& before);
    QRect deviceArea() const;
    QRect devicePixels(const std::optional<QRectF>& selection) const;
    void repaintOnServer(const QRect& before, const QRegion& within);

    QImage background_;
    std::unique_ptr<SelectionBackdrop> backdrop_;
    RectangleDrag drag_;
};

} // namespace vellumbox
