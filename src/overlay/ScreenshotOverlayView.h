// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPainterPath>
#include <QWidget>

#include <functional>
#include <optional>

class QKeyEvent;

namespace vellumbox {

class Clock;

// The content of a floating screenshot: paints the picture aspect-fit with hard pixels and
// the blue border of a pinned or edited screenshot, and reports what the user does with it
// (a short click, a drag, a key, a right click). What those gestures mean is its owner's.
class ScreenshotOverlayView : public QWidget {
    Q_OBJECT
public:
    enum class BorderStyle { None, Solid, Dashed };
    struct Border {
        QPainterPath path;
        bool dashed = false;
    };

    ScreenshotOverlayView(Clock& clock, QWidget* parent);

    // The picture to paint, asked for at each paint so that its pixels need not be kept.
    std::function<QImage()> picture;
    // A key press; answers whether it was handled, else the parent sees it.
    std::function<bool(const QKeyEvent&)> onKey;

    void setBorderStyle(BorderStyle style);
    const std::optional<Border>& border() const { return border_; }
    // Horizontal offset of the painted content, for the shake.
    void setContentOffset(qreal offset);
    // Clip the painting to the rounded corners (on a translucent window).
    void setRoundedClip(bool clip) { roundedClip_ = clip; }
    // Where the picture is drawn inside the view.
    QRectF pictureFrame() const;

    static constexpr qreal cornerRadius = 8.0;
    static constexpr qreal borderWidth = 2.0;

Q_SIGNALS:
    void pressed();
    // Released soon after the press, without having moved the window.
    void clicked();
    // The window should follow the pointer by this much.
    void dragged(QPoint delta);
    void contextMenuRequested(QPoint globalPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void updateBorderPath();

    Clock& clock_;
    BorderStyle borderStyle_ = BorderStyle::None;
    std::optional<Border> border_;
    qreal contentOffset_ = 0.0;
    bool roundedClip_ = false;

    std::optional<qint64> mouseDownTime_;
    std::optional<QPointF> mouseDownLocation_;
    QPointF lastGlobalPosition_;
    bool isDragging_ = false;
};

} // namespace vellumbox
