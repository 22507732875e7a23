// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppDelegate.h"

#include "HotkeyManager.h"
#include "OnboardingWindowController.h"
#include "StatusBarController.h"
#include "platform/AlertPresenter.h"
#include "platform/Logging.h"
#include "platform/LoginItems.h"
#include "platform/ScreenRecordingPermission.h"
#include "platform/Settings.h"

#include <QPointer>

namespace vellumbox {

AppDelegate::AppDelegate(const Services& services, GlobalHotkey& hotkey, OverlayManager& overlays,
                         std::function<void()> startCapture,
                         std::function<UpdaterManager*()> updater)
    : services_(services)
    , hotkey_(hotkey)
    , overlays_(overlays)
    , startCapture_(std::move(startCapture))
    , updater_(std::move(updater))
{}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching()
{
    statusBarController_ = std::make_unique<StatusBarController>(overlays_, startCapture_);
    hotkeyManager_ = std::make_unique<HotkeyManager>(hotkey_, startCapture_);
    if (updater_) {
        const QPointer<UpdaterManager> updater = updater_();
        updater->start();
        statusBarController_->onCheckForUpdates = [updater] {
            if (updater)
                updater->checkForUpdates();
        };
    }
    isFirstRun_ = !services_.settings.boolValue(settings_keys::hasCompletedOnboarding);
    qCInfo(lcApp) << "Vellumbox" << VELLUMBOX_VERSION << "ready"
                  << (isFirstRun_ ? "(first run)" : "");
    if (isFirstRun_) {
        // The login prompt follows once the first-run window is finished.
        onboardingController_ = std::make_unique<OnboardingWindowController>(
            services_.settings, services_.permission, services_.shortcuts,
            [this] { showLoginItemPrompt(); }, [this] { openScreenRecordingSettings(); });
        onboardingController_->showOnboarding();
    } else {
        showLoginItemPrompt();
    }
}

void AppDelegate::showLoginItemPrompt()
{
    if (services_.settings.boolValue(settings_keys::hasShownLoginItemPrompt))
        return;
    // Stored before asking, so that the question is never repeated whatever the answer.
    services_.settings.setBoolValue(settings_keys::hasShownLoginItemPrompt, true);
    const int answer = services_.alerts.runModal(
        {AlertStyle::Informational,
         tr("Start at Login?"),
         tr("Would you like Vellumbox to start automatically when you log in?"),
         {tr("Yes"), tr("No")}});
    if (answer == alertFirstButtonReturn)
        enableLoginItem();
}

void AppDelegate::enableLoginItem()
{
    QString error;
    if (services_.loginItems.registerMainApp(&error))
        qCInfo(lcLoginItem).noquote() << "Vellumbox will start at login";
    else
        qCCritical(lcLoginItem).noquote()
            << QStringLiteral("Failed to enable login item: %1").arg(error);
}

void AppDelegate::requestScreenRecordingPermission()
{
    if (services_.permission.request())
        return;
    const int answer = services_.alerts.runModal(
        {AlertStyle::Warning,
         tr("Screen Recording Permission Required"),
         tr("Vellumbox needs Screen Recording permission to capture screenshots. "
            "Please grant access in your desktop's privacy settings, then relaunch the app."),

         {tr("Open Settings"), tr("Cancel")}});
    if (answer == alertFirstButtonReturn)
        openScreenRecordingSettings();
}

void AppDelegate::openScreenRecordingSettings()
{
    services_.permission.openSettings();
}

} // namespace vellumbox
