// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenCaptureManager.h"

#include "CaptureGeometry.h"
#include "SelectionCursor.h"
#include "SelectionOverlayView.h"
#include "SelectionOverlayWindow.h"
#include "overlay/LoweredPanels.h"
#include "overlay/OverlayManager.h"
#include "platform/AlertPresenter.h"
#include "platform/CursorService.h"
#include "platform/DisplayCapture.h"
#include "platform/Logging.h"
#include "platform/PlatformServices.h"
#include "platform/ScreenProvider.h"
#include "platform/ScreenRecordingPermission.h"
#include "platform/WindowSystem.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <array>

namespace vellumbox {

namespace {

// The cursor is set again shortly after the windows appear: a window manager or the
// previous application may still change it while the windows map.
constexpr std::array<int, 3> cursorReassertMs{0, 50, 100};

bool sameScreen(const ScreenInfo& a, const ScreenInfo& b)
{
    return a.name == b.name && a.geometry == b.geometry &&
           qFuzzyCompare(a.devicePixelRatio, b.devicePixelRatio);
}

} // namespace

ScreenCaptureManager::ScreenCaptureManager(const Services& services, OverlayManager& overlays)
    : services_(services)
    , overlays_(overlays)
{
    services_.screens.setOnScreensChanged([self = QPointer(this)] {
        if (self)
            self->screensChanged();
    });
}

ScreenCaptureManager::~ScreenCaptureManager() = default;

ScreenCaptureManager& ScreenCaptureManager::shared()
{
    static ScreenCaptureManager* instance = [] {
        const PlatformServices& platform = linuxPlatform();
        auto* manager =
            new ScreenCaptureManager({platform.screens, platform.capture, platform.permission,
                                      platform.alerts, platform.cursor, platform.windows},
                                     OverlayManager::shared());
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, manager,
                         [manager] { manager->closeSelectionWindows(); });
        return manager;
    }();
    return *instance;
}

void ScreenCaptureManager::startCapture()
{
    if (isSelecting_)
        return;
    if (!services_.permission.preflight()) {
        requestPermission();
        return;
    }
    const QList<ScreenInfo> screens = services_.screens.screens();
    if (screens.isEmpty()) {
        qCCritical(lcScreenCapture) << "There is no screen to capture";
        return;
    }
    isSelecting_ = true;
    // Without a compositor a translucent window shows black: paint each screen's own
    // picture under the dimming instead.
    const bool translucent = services_.windows.compositingActive();
    for (const ScreenInfo& screen : screens)
        openSelectionWindow(screen, translucent);
    makeKey(windowUnderPointer());
    // Dimmed only now: what the user sees dimmed already takes the keys.
    for (const auto& window : selectionWindows_)
        window->view()->showDimmedScreen();

    services_.cursor.setCurrent(selectionCrosshairCursor());
    for (const int delay : cursorReassertMs) {
        QTimer::singleShot(delay, this, [this] {
            if (isSelecting_)
                services_.cursor.setCurrent(selectionCrosshairCursor());
        });
    }
}

void ScreenCaptureManager::openSelectionWindow(const ScreenInfo& screen, bool translucent)
{
    // The server paints the selection where it can: the screen's picture never crosses into
    // the program, nor does a screenful of dimming.
    std::unique_ptr<SelectionBackdrop> held = services_.capture.selectionBackdrop(
        screen, SelectionOverlayView::overlayColor(), translucent);
    auto window = std::make_unique<SelectionOverlayWindow>(
        screen, translucent || held ? QImage() : screenPicture(screen), translucent);
    if (held && !window->view()->paintOnServer(std::move(held))) {
        qCWarning(lcScreenCapture) << "The selection window cannot be painted by the server";
        if (!translucent)
            window->view()->setBackground(screenPicture(screen));
    }
    const QPointer<ScreenCaptureManager> self(this);
    window->onSelectionComplete = [self](const QRectF& rect, const ScreenInfo& on) {
        if (self)
            self->selectionCompleted(rect, on);
    };
    window->onSelectionCancelled = [self] {
        if (self)
            self->selectionCancelled();
    };
    window->show();
    selectionWindows_.push_back(std::move(window));
}

QImage ScreenCaptureManager::screenPicture(const ScreenInfo& screen)
{
    DisplayImage picture = services_.capture.captureDisplay(screen);
    if (!picture.ok())
        qCWarning(lcScreenCapture).noquote()
            << "Could not read the screen behind the selection:" << picture.error;
    return std::move(picture.image);
}

SelectionOverlayWindow* ScreenCaptureManager::windowUnderPointer() const
{
    QList<QRect> geometries;
    for (const auto& window : selectionWindows_)
        geometries.append(window->screen().geometry);
    const int under = screenIndexAt(geometries, services_.screens.cursorPosition());
    return selectionWindows_.at(under >= 0 ? static_cast<size_t>(under) : 0).get();
}

void ScreenCaptureManager::makeKey(SelectionOverlayWindow* window)
{
    window->raise();
    window->activateWindow();
    window->view()->setFocus(Qt::ActiveWindowFocusReason);
    services_.windows.grabInput(window->windowHandle());
}

void ScreenCaptureManager::closeSelectionWindows()
{
    services_.windows.releaseInput();
    for (auto& window : selectionWindows_) {
        window->hide();
        // The window may be reporting from inside its own event handler.
        window.release()->deleteLater();
    }
    selectionWindows_.clear();
    isSelecting_ = false;
}

void ScreenCaptureManager::selectionCompleted(const QRectF& rect, const ScreenInfo& screen)
{
    services_.cursor.restoreArrow();
    closeSelectionWindows();
    // The display is read only once the selection windows are surely off the screen.
    const QPointer<ScreenCaptureManager> self(this);
    QTimer::singleShot(captureDelayMs, this, [self, rect, screen] {
        if (self)
            self->captureRegion(rect, screen);
    });
}

void ScreenCaptureManager::selectionCancelled()
{
    services_.cursor.restoreArrow();
    closeSelectionWindows();
}

void ScreenCaptureManager::screensChanged()
{
    if (!isSelecting_)
        return;
    qCWarning(lcScreenCapture) << "The screens changed during the selection; it was cancelled";
    selectionCancelled();
}

void ScreenCaptureManager::captureRegion(const QRectF& rect, const ScreenInfo& screen)
{
    if (!services_.permission.preflight()) {
        requestPermission();
        return;
    }
    const Capture capture = captureScreenshot(rect, screen);
    if (capture.refused) {
        qCWarning(lcScreenCapture) << "The desktop refused to give the screen's picture";
        requestPermission();
        return;
    }
    if (capture.error) {
        showFailure(*capture.error);
        return;
    }
    if (capture.image.isNull()) {
        qCCritical(lcScreenCapture) << "Capture returned nil image";
        return;
    }
    overlays_.createOverlay(capture.image, rect);
}

ScreenCaptureManager::Capture ScreenCaptureManager::captureScreenshot(const QRectF& rect,
                                                                      const ScreenInfo& screen)
{
    // The screen may have gone (or changed) during the wait.
    const QList<ScreenInfo> current = services_.screens.screens();
    if (std::none_of(current.begin(), current.end(),
                     [&screen](const ScreenInfo& s) { return sameScreen(s, screen); })) {
        qCCritical(lcScreenCapture) << "Could not find matching display";
        return {};
    }
    // Only the selection is read where the display allows it; a display that measures its own
    // density gives the whole screen, cut here.
    DisplayImage display = services_.capture.captureDisplayPart(
        screen, pixelCropRect(rect, QRectF(screen.geometry), screen.devicePixelRatio));
    if (display.refused)
        return {{}, std::nullopt, true};
    if (!display.error.isEmpty())
        return {{}, display.error};
    if (display.image.isNull())
        return {};
    const qreal scale = display.scale > 0 ? display.scale : screen.devicePixelRatio;
    const QRect crop = pixelCropRect(rect, QRectF(screen.geometry), scale)
                           .intersected(QRect(display.origin, display.image.size()))
                           .translated(-display.origin);
    if (crop.isEmpty()) {
        qCCritical(lcScreenCapture) << "Failed to crop image";
        return {};
    }
    QImage image = display.opaqueCopy(crop);
    image.setDevicePixelRatio(scale);
    return {image, std::nullopt};
}

void ScreenCaptureManager::requestPermission()
{
    if (onPermissionMissing)
        onPermissionMissing();
    else
        qCCritical(lcScreenCapture) << "Screen access is missing and nobody can ask for it";
}

void ScreenCaptureManager::showFailure(const QString& description)
{
    qCCritical(lcScreenCapture).noquote()
        << QStringLiteral("Screen capture failed: %1").arg(description);
    const LoweredPanels lowered(overlays_);
    services_.alerts.runModal({AlertStyle::Warning, tr("Screenshot Failed"), description, {}});
}

} // namespace vellumbox
