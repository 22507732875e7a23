// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPainterPath>
#include <QPointer>
#include <QWidget>

#include <optional>

namespace vellumbox {

class CompactImage;
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

    // The pixels are the panel's; the view never outlives it.
    ScreenshotOverlayView(CompactImage* pixels, ScreenshotOverlayPanel* panel, QWidget* parent);

    // The screenshot as captured, never rotated.
    QImage image() const;
    // The image as it is shown: rotated, never annotated.
    QImage displayedImage();

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
    QPointer<CompactImage> pixels_;
    QPointer<ScreenshotOverlayPanel> panel_;
    int rotationDegrees_ = 0;
    // The rotated picture, kept while the pixels are decoded.
    QImage displayed_;
    bool isEditing_ = false;
    std::optional<Border> border_;
    qreal contentOffset_ = 0.0;
    bool roundedClip_ = false;
};

} // namespace vellumbox
