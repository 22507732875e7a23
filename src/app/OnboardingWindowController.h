// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OnboardingWindow.h"
#include "PermissionSymbol.h"

#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace vellumbox {

class DesktopShortcuts;
class ScreenRecordingPermission;
class Settings;

// Marks the first run as done and, the first time only, asks about starting at login.
void markOnboardingComplete(Settings& settings, const std::function<void()>& showLoginItemPrompt);

// Explains the screen access on the first run and watches it until it is granted.
class OnboardingWindowController : public QObject {
    Q_OBJECT
public:
    OnboardingWindowController(Settings& settings, ScreenRecordingPermission& permission,
                               DesktopShortcuts& shortcuts,
                               std::function<void()> showLoginItemPrompt,
                               std::function<void()> openScreenRecordingSettings);
    ~OnboardingWindowController() override;

    void showOnboarding();
    void grantPermission();
    void completeOnboarding();
    void startPermissionPolling();
    void checkPermission();

    static constexpr int pollIntervalMs = 1000;

    OnboardingWindow* window() const { return window_.get(); }
    QTimer* permissionCheckTimer() const { return permissionCheckTimer_; }
    QPushButton* grantButton() const { return grantButton_; }
    PermissionSymbol* statusImageView() const { return statusImageView_; }
    QLabel* statusLabel() const { return statusLabel_; }
    QPushButton* continueButton() const { return continueButton_; }
    // Where the hot key cannot reach every window: the desktop shortcut offered instead.
    QLabel* shortcutLabel() const { return shortcutLabel_; }
    QPushButton* shortcutButton() const { return shortcutButton_; }
    QLineEdit* shortcutLine() const { return shortcutLine_; }

    static constexpr int shortcutRowHeight = 84;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void markComplete();
    void stopPolling();
    void applyState(bool granted);
    void addShortcutOffer(QWidget* content);
    void addDesktopShortcut();

    Settings& settings_;
    ScreenRecordingPermission& permission_;
    DesktopShortcuts& shortcuts_;
    std::function<void()> showLoginItemPrompt_;
    std::function<void()> openScreenRecordingSettings_;
    std::unique_ptr<OnboardingWindow> window_;
    QPointer<QTimer> permissionCheckTimer_;
    QPointer<QPushButton> grantButton_;
    QPointer<PermissionSymbol> statusImageView_;
    QPointer<QLabel> statusLabel_;
    QPointer<QPushButton> continueButton_;
    QPointer<QLabel> shortcutLabel_;
    QPointer<QPushButton> shortcutButton_;
    QPointer<QLineEdit> shortcutLine_;
    bool quitting_ = false;
};

} // namespace vellumbox
