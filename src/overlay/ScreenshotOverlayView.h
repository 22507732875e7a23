// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPainterPath>
#include <QPointer>
#include <QWidget>

#include <optional>

namespace vellumbox {

class ScreenshotOverlayPanel;

// The content of a floating screenshot: the image, aspect-fit with hard pixels, and the
// blue border of a pinned or edited screenshot above it.
class ScreenshotOverlayView : public QWidget {
    Q_OBJECT
public:
    struct Border {
        QPainterPath path;
        bool dashed = false;
    };

    ScreenshotOverlayView(QImage image, ScreenshotOverlayPanel* panel, QWidget* parent);

    const QImage& image() const { return image_; }
    // The image as it is shown: rotated, never annotated.
    const QImage& displayedImage() const { return displayed_; }

    bool isEditing() const { return isEditing_; }
    void exitEditMode();

    void applyRotation(int degrees);
    void updateBorder();
    const std::optional<Border>& border() const { return border_; }

    // Horizontal offset of the painted content, for the shake.
    void setContentOffset(qreal offset);

    // Clip the painting to the rounded corners (on a translucent window).
    void setRoundedClip(bool clip) { roundedClip_ = clip; }

    static constexpr qreal cornerRadius = 8.0;
    static constexpr qreal borderWidth = 2.0;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage image_;
    QPointer<ScreenshotOverlayPanel> panel_;
    QImage displayed_;
    bool isEditing_ = false;
    std::optional<Border> border_;
    qreal contentOffset_ = 0.0;
    bool roundedClip_ = false;
};

} // namespace vellumbox
