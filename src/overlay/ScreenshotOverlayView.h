// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "annotation/Annotation.h"
#include "ocr/OCRSelectionView.h"
#include "platform/PlatformServices.h"
#include "platform/ShareService.h"

#include <QImage>
#include <QPainterPath>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QMenu;

namespace vellumbox {

class AnnotationCanvas;
class CompactImage;
class EditModeMonitors;
class ScreenshotOverlayPanel;

// The content of a floating screenshot and what the user touches: the image, aspect-fit with
// hard pixels, the blue border of a pinned or edited screenshot, a short click to close, a
// press-and-move to carry the window, the keyboard shortcuts and the context menu.
class ScreenshotOverlayView : public QWidget {
    Q_OBJECT
public:
    struct Border {
        QPainterPath path;
        bool dashed = false;
    };

    // The pixels are the panel's; the view never outlives it.
    ScreenshotOverlayView(CompactImage* pixels, ScreenshotOverlayPanel* panel,
                          const PlatformServices& services, QWidget* parent);
    ~ScreenshotOverlayView() override;

    // The screenshot as captured, never rotated.
    QImage image() const;
    // The image as it is shown: rotated, never annotated.
    QImage displayedImage();
    // What every export uses: the screenshot as rotated now, with its annotations drawn in at
    // the image's pixel size.
    QImage flattenedImage();

    bool isEditing() const { return isEditing_; }
    void enterEditMode(AnnotationToolType tool);
    void exitEditMode();
    void clearEdits();
    AnnotationCanvas* annotationCanvas() const { return annotationCanvas_; }
    // For the edit-mode monitors: show the tool's cursor, and with focus, bring the
    // screenshot forward so that it takes the drawing.
    void toolCursorOrFocusNeeded(bool focus);

    void applyRotation(int degrees);
    void updateBorder();
    const std::optional<Border>& border() const { return border_; }

    // Horizontal offset of the painted content, for the shake.
    void setContentOffset(qreal offset);
    // Clip the painting to the rounded corners (on a translucent window).
    void setRoundedClip(bool clip) { roundedClip_ = clip; }

    // A new context menu, as a right click shows it.
    std::unique_ptr<QMenu> contextMenu();

    void copyToClipboard();
    void saveToFile();
    void shareViaService(const ShareTarget& target);
    void togglePin();
    void resizeAction(int percent);
    void rotateClockwiseAction();
    void rotateCounterClockwiseAction();
    void closeThisScreenshot();
    void closeAllScreenshots();
    void startOCR();
    OCRSelectionView* ocrSelectionView() const { return ocrSelectionView_; }

    // Set by the registry: closes every floating screenshot.
    std::function<void()> onCloseAll;
    // Set by the registry: keeps every floating screenshot lowered while the guard lives.
    std::function<std::shared_ptr<void>()> lowerAllPanels;

    static constexpr qreal cornerRadius = 8.0;
    static constexpr qreal borderWidth = 2.0;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void finishSave(const QString& path);
    void resetPress();

    QPointer<CompactImage> pixels_;
    AnnotationCanvas* annotationCanvas_ = nullptr;
    QPointer<OCRSelectionView> ocrSelectionView_;
    std::unique_ptr<EditModeMonitors> monitors_;
    QPointer<ScreenshotOverlayPanel> panel_;
    PlatformServices services_;
    int rotationDegrees_ = 0;
    // The rotated picture, kept while the pixels are decoded.
    QImage displayed_;
    bool isEditing_ = false;
    std::optional<Border> border_;
    qreal contentOffset_ = 0.0;
    bool roundedClip_ = false;

    std::optional<qint64> mouseDownTime_;
    std::optional<QPointF> mouseDownLocation_;
    QPointF lastGlobalPosition_;
    bool isDragging_ = false;
};

} // namespace vellumbox
