// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vellumbox {

class AlertPresenter;
class Clipboard;
class Clock;
class CursorService;
class DesktopShortcuts;
class DisplayCapture;
class GlobalInputMonitor;
class LoginItems;
class ScreenProvider;
class SaveDialog;
class ScreenRecordingPermission;
class Settings;
class ShareService;
class TextEngine;
class WindowSystem;

// The desktop services the managers are built with; tests hand in fakes instead.
struct PlatformServices {
    ScreenProvider& screens;
    DisplayCapture& capture;
    ScreenRecordingPermission& permission;
    AlertPresenter& alerts;
    CursorService& cursor;
    WindowSystem& windows;
    Settings& settings;
    Clipboard& clipboard;
    SaveDialog& saveDialog;
    Clock& clock;
    ShareService& share;
    GlobalInputMonitor& globalInput;
    LoginItems& loginItems;
    TextEngine& textEngine;
    DesktopShortcuts& shortcuts;
};

// The Linux services, created on first use. Needs a QGuiApplication.
PlatformServices& linuxPlatform();

} // namespace vellumbox
