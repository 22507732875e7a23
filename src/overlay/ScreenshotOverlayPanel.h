// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "WindowLevel.h"
#include "platform/PlatformServices.h"

#include <QImage>
#include <QPointer>
#include <QRectF>
#include <QWidget>

#include <functional>

class QPropertyAnimation;
class QVariantAnimation;

namespace vellumbox {

class CompactImage;
class ScreenshotOverlayView;

// The window of one floating screenshot: frameless, above ordinary windows on every
// workspace, shown without taking the focus, exactly at the captured region.
class ScreenshotOverlayPanel : public QWidget {
    Q_OBJECT
public:
    ScreenshotOverlayPanel(QImage image, const QRectF& captureRect,
                           const PlatformServices& services);
    ~ScreenshotOverlayPanel() override;

    // Maps the window without activating it and fades it in.
    void show();
    // Leaves edit mode, fades out, then reports through onFadeOutFinished.
    void dismiss();
    void setDisplayScale(double scale);
    void rotate(int degrees);
    void shake();
    void flash();

    // Floats again shortly after losing the focus, whatever lowered it meanwhile.
    void resignKeyWindow();
    void setLevel(WindowLevel level);
    WindowLevel level() const { return level_; }

    QImage screenshotImage() const;
    QRectF captureRect() const { return captureRect_; }
    bool isPinned() const { return isPinned_; }
    void setPinned(bool pinned) { isPinned_ = pinned; }
    bool isInEditMode() const { return isInEditMode_; }
    void setInEditMode(bool editing) { isInEditMode_ = editing; }
    double displayScale() const { return displayScale_; }
    int rotationDegrees() const { return rotationDegrees_; }
    ScreenshotOverlayView* contentView() const { return view_; }
    // The frame the window is animating to, or its frame when at rest.
    QRectF targetFrame() const { return targetFrame_; }

    std::function<void(ScreenshotOverlayPanel*)> onFadeOutFinished;

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
    void animateFrame(const QRectF& frame);
    void fadeTo(qreal opacity, int durationMs, std::function<void()> finished);
    void updateMask();

    PlatformServices services_;
    CompactImage* screenshotImage_ = nullptr;
    QRectF captureRect_;
    QRectF targetFrame_;
    bool isPinned_ = false;
    bool isInEditMode_ = false;
    double displayScale_ = 1.0;
    int rotationDegrees_ = 0;
    WindowLevel level_ = WindowLevel::Floating;
    bool translucent_ = false;
    ScreenshotOverlayView* view_ = nullptr;
    QPointer<QPropertyAnimation> fade_;
    QPointer<QPropertyAnimation> frameAnimation_;
    QPointer<QVariantAnimation> shake_;
};

} // namespace vellumbox
