// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/PlatformServices.h"

#include <QObject>

#include <functional>
#include <memory>

namespace vellumbox {

class GlobalHotkey;
class HotkeyManager;
class OnboardingWindowController;
class OverlayManager;
class StatusBarController;

// Builds the long-lived parts of the application once the event loop runs, and offers the
// screen-access prompt to the capture session.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    AppDelegate(const PlatformServices& services, GlobalHotkey& hotkey, OverlayManager& overlays,
                std::function<void()> startCapture);
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
    PlatformServices services_;
    GlobalHotkey& hotkey_;
    OverlayManager& overlays_;
    std::function<void()> startCapture_;
    std::unique_ptr<StatusBarController> statusBarController_;
    std::unique_ptr<HotkeyManager> hotkeyManager_;
    std::unique_ptr<OnboardingWindowController> onboardingController_;
    bool isFirstRun_ = false;
};

} // namespace vellumbox
