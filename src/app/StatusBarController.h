// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AboutWindow.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace vellumbox {

class LoweredPanels;
class OverlayManager;

// The tray icon: a left click captures, a right click opens the menu, during which the
// floating screenshots drop below it.
class StatusBarController : public QObject {
    Q_OBJECT
public:
    StatusBarController(OverlayManager& overlays, std::function<void()> startCapture);
    ~StatusBarController() override;

    QMenu* menu() const { return menu_.get(); }
    AboutWindow* aboutWindow() const { return aboutWindow_; }
    QSystemTrayIcon* trayIcon() const { return tray_; }

    // After delayMs, from the event loop.
    void beginScreenshot(int delayMs);
    void showAboutWindow();
    void checkForUpdates();
    void rebuildMenu();
    void menuWillOpen();
    void menuDidClose();

    static constexpr int captureDelayMs = 50;

    // Set at launch: the updater's check on request.
    std::function<void()> onCheckForUpdates;

private:
    OverlayManager& overlays_;
    std::function<void()> startCapture_;
    std::unique_ptr<QMenu> menu_;
    QSystemTrayIcon* tray_ = nullptr;
    QPointer<AboutWindow> aboutWindow_;
    std::unique_ptr<LoweredPanels> lowered_;
};

} // namespace vellumbox
