// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ScreenInfo.h"

#include <QImage>
#include <QObject>
#include <QRectF>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vellumbox {

class AlertPresenter;
class CursorService;
class DisplayCapture;
class OverlayManager;
class ScreenProvider;
class ScreenRecordingPermission;
class WindowSystem;
class SelectionOverlayWindow;

// Turns a request to capture into a floating screenshot: selection windows on every
// screen, then, 150 ms after they are gone, the chosen display read and cropped.
class ScreenCaptureManager : public QObject {
    Q_OBJECT
public:
    struct Services {
        ScreenProvider& screens;
        DisplayCapture& capture;
        ScreenRecordingPermission& permission;
        AlertPresenter& alerts;
        CursorService& cursor;
        WindowSystem& windows;
    };
    ScreenCaptureManager(const Services& services, OverlayManager& overlays);
    ~ScreenCaptureManager() override;

    // The application's capture session, on the Linux services; created on first use.
    static ScreenCaptureManager& shared();

    void startCapture();
    void closeSelectionWindows();
    void captureRegion(const QRectF& rect, const ScreenInfo& screen);

    struct Capture {
        QImage image;                 // null when nothing could be cut
        std::optional<QString> error; // set when the display could not be read
        bool refused = false;         // the desktop or the user refused access
    };
    Capture captureScreenshot(const QRectF& rect, const ScreenInfo& screen);

    bool isSelecting() const { return isSelecting_; }
    const std::vector<std::unique_ptr<SelectionOverlayWindow>>& selectionWindows() const
    {
        return selectionWindows_;
    }

    // Asks for screen access when it is missing; set by the application.
    std::function<void()> onPermissionMissing;

    static constexpr int captureDelayMs = 150;

private:
    void selectionCompleted(const QRectF& rect, const ScreenInfo& screen);
    void selectionCancelled();
    void openSelectionWindow(const ScreenInfo& screen, bool translucent);
    // Without a compositor the selection shows the screen's own picture under the dimming.
    QImage screenPicture(const ScreenInfo& screen);
    SelectionOverlayWindow* windowUnderPointer() const;
    void makeKey(SelectionOverlayWindow* window);
    void requestPermission();
    void showFailure(const QString& description);
    void screensChanged();

    Services services_;
    OverlayManager& overlays_;
    std::vector<std::unique_ptr<SelectionOverlayWindow>> selectionWindows_;
    bool isSelecting_ = false;
};

} // namespace vellumbox
