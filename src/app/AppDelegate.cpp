// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppDelegate.h"

#include "HotkeyManager.h"
#include "StatusBarController.h"
#include "platform/AlertPresenter.h"
#include "platform/Logging.h"
#include "platform/ScreenRecordingPermission.h"
#include "platform/Settings.h"

namespace vellumbox {

AppDelegate::AppDelegate(const PlatformServices& services, GlobalHotkey& hotkey,
                         OverlayManager& overlays, std::function<void()> startCapture)
    : services_(services)
    , hotkey_(hotkey)
    , overlays_(overlays)
    , startCapture_(std::move(startCapture))
{}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching()
{
    statusBarController_ =
        std::make_unique<StatusBarController>(services_, overlays_, startCapture_);
    hotkeyManager_ = std::make_unique<HotkeyManager>(hotkey_, startCapture_);
    isFirstRun_ = !services_.settings.boolValue(settings_keys::hasCompletedOnboarding);
    qCInfo(lcApp) << "Vellumbox" << VELLUMBOX_VERSION << "ready"
                  << (isFirstRun_ ? "(first run)" : "");
}

void AppDelegate::requestScreenRecordingPermission()
{
    if (services_.permission.request())
        return;
    const int answer = services_.alerts.runModal(
        {AlertStyle::Warning,
         QStringLiteral("Screen Recording Permission Required"),
         QStringLiteral("Vellumbox needs Screen Recording permission to capture screenshots. "
                        "Please grant access in your desktop's privacy settings, then "
                        "relaunch the app."),
         {QStringLiteral("Open Settings"), QStringLiteral("Cancel")}});
    if (answer == alertFirstButtonReturn)
        openScreenRecordingSettings();
}

void AppDelegate::openScreenRecordingSettings()
{
    services_.permission.openSettings();
}

} // namespace vellumbox
