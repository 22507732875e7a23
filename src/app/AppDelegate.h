// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "update/UpdaterManager.h"

#include <QObject>

#include <functional>
#include <memory>

namespace vellumbox {

class AlertPresenter;
class DesktopShortcuts;
class GlobalHotkey;
class LoginItems;
class ScreenRecordingPermission;
class Settings;
class HotkeyManager;
class OnboardingWindowController;
class OverlayManager;
class StatusBarController;

// Builds the long-lived parts of the application once the event loop runs, and offers the
// screen-access prompt to the capture session.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    // `updater` gives the updater at launch; without it (in tests) there is none.
    struct Services {
        Settings& settings;
        AlertPresenter& alerts;
        LoginItems& loginItems;
        ScreenRecordingPermission& permission;
        DesktopShortcuts& shortcuts;
    };
    AppDelegate(const Services& services, GlobalHotkey& hotkey, OverlayManager& overlays,
                std::function<void()> startCapture,
                std::function<UpdaterManager*()> updater = nullptr);
    ~AppDelegate() override;

    void applicationDidFinishLaunching();
    void showLoginItemPrompt();
    void enableLoginItem();
    void requestScreenRecordingPermission();
    void openScreenRecordingSettings();

    StatusBarController* statusBarController() const { return statusBarController_.get(); }
    HotkeyManager* hotkeyManager() const { return hotkeyManager_.get(); }
    OnboardingWindowController* onboardingController() const { return onboardingController_.get(); }
    bool isFirstRun() const { return isFirstRun_; }

private:
    Services services_;
    GlobalHotkey& hotkey_;
    OverlayManager& overlays_;
    std::function<void()> startCapture_;
    std::function<UpdaterManager*()> updater_;
    std::unique_ptr<StatusBarController> statusBarController_;
    std::unique_ptr<HotkeyManager> hotkeyManager_;
    std::unique_ptr<OnboardingWindowController> onboardingController_;
    bool isFirstRun_ = false;
};

} // namespace vellumbox
