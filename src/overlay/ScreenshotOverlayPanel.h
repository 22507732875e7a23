// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScreenshotExporter.h"
#include "WindowLevel.h"
#include "annotation/Annotation.h"
#include "ocr/OCRSelectionView.h"

#include <QImage>
#include <QPointer>
#include <QRectF>
#include <QWidget>

#include <functional>
#include <memory>

class QMenu;
class QPropertyAnimation;
class QVariantAnimation;

namespace vellumbox {

class AnnotationCanvas;
class CompactImage;
class EditModeMonitors;
class GlobalInputMonitor;
class ScreenshotOverlayView;
class TextRecognizer;
class WindowSystem;

// The desktop services a floating screenshot uses.
struct OverlayServices {
    WindowSystem& windows;
    GlobalInputMonitor& globalInput;
    TextRecognizer& textRecognizer;
    ScreenshotExporter::Services exporting;
};

// One floating screenshot: a frameless window above ordinary windows on every workspace,
// shown without taking the focus, exactly at the captured region. It owns what the user
// changes (pin, zoom, rotation, edit mode) and answers the view's gestures.
class ScreenshotOverlayPanel : public QWidget {
    Q_OBJECT
public:
    ScreenshotOverlayPanel(QImage image, const QRectF& captureRect,
                           const OverlayServices& services);
    ~ScreenshotOverlayPanel() override;

    // Maps the window without activating it and fades it in.
    void show();
    // Leaves edit mode, fades out, then reports through onFadeOutFinished.
    void dismiss();
    void setDisplayScale(double scale);
    void rotate(int degrees);
    void togglePin();
    void shake();
    void flash();

    // Floats again shortly after losing the focus, whatever lowered it meanwhile.
    void resignKeyWindow();
    void setLevel(WindowLevel level);
    WindowLevel level() const { return level_; }

    // The screenshot as captured, never rotated.
    QImage screenshotImage() const;
    // The picture as shown: rotated, never annotated.
    QImage displayedImage();
    // What every export uses: the picture as shown with its annotations.
    QImage flattenedImage();

    QRectF captureRect() const { return captureRect_; }
    bool isPinned() const { return isPinned_; }
    double displayScale() const { return displayScale_; }
    int rotationDegrees() const { return rotationDegrees_; }
    ScreenshotOverlayView* contentView() const { return view_; }
    // The frame the window is animating to, or its frame when at rest.
    QRectF targetFrame() const { return targetFrame_; }

    bool isInEditMode() const { return isInEditMode_; }
    void enterEditMode(AnnotationToolType tool);
    void exitEditMode();
    void clearEdits();
    AnnotationCanvas* annotationCanvas() const { return annotationCanvas_; }
    // For the edit-mode monitors: show the tool's cursor, and with focus, bring the
    // screenshot forward so that it takes the drawing.
    void toolCursorOrFocusNeeded(bool focus);

    void copyToClipboard();
    void saveToFile();
    void share(const ShareTarget& target);
    void startScan();
    OCRSelectionView* scanSelection() const { return scanSelection_; }

    // A new context menu, as a right click shows it.
    std::unique_ptr<QMenu> contextMenu();

    std::function<void(ScreenshotOverlayPanel*)> onFadeOutFinished;
    // Set by the registry: closes every floating screenshot.
    std::function<void()> onCloseAll;
    // Set by the registry: keeps every floating screenshot lowered while the guard lives.
    std::function<std::shared_ptr<void>()> lowerAllPanels;

    static constexpr int fadeInMs = 200;
    static constexpr int fadeOutMs = 150;
    static constexpr int frameChangeMs = 200;
    static constexpr int shakeMs = 400;
    static constexpr int flashMs = 150;
    static constexpr int levelRestoreDelayMs = 100;

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void holdKeyboard();
    void releaseKeyboardHold();
    void connectView();
    bool handleKey(const QKeyEvent& event);
    void clicked();
    void updateBorder();
    void bringForward();
    void animateFrame(const QRectF& frame);
    void fadeTo(qreal opacity, int durationMs, std::function<void()> finished);
    void updateMask();

    OverlayServices services_;
    ScreenshotExporter exporter_;
    CompactImage* pixels_ = nullptr;
    // The rotated picture, kept while the pixels are decoded.
    QImage displayed_;
    QRectF captureRect_;
    QRectF targetFrame_;
    bool isPinned_ = false;
    bool isInEditMode_ = false;
    double displayScale_ = 1.0;
    int rotationDegrees_ = 0;
    WindowLevel level_ = WindowLevel::Floating;
    int keyboardHold_ = -1;
    bool translucent_ = false;
    // In a layer above full-screen windows, which nothing managed can cover.
    bool floatsAboveAll_ = false;
    ScreenshotOverlayView* view_ = nullptr;
    AnnotationCanvas* annotationCanvas_ = nullptr;
    QPointer<OCRSelectionView> scanSelection_;
    std::unique_ptr<EditModeMonitors> monitors_;
    QPointer<QPropertyAnimation> fade_;
    QPointer<QPropertyAnimation> frameAnimation_;
    QPointer<QVariantAnimation> shake_;
};

} // namespace vellumbox
