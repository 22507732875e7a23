// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GlobalHotkey.h"

#include <memory>

namespace vellumbox {

// The desktop's own shortcut service first; where it refuses, the other way (an X11 grab,
// which under XWayland fires only while an X11 window has the focus).
class HotkeyWithFallback final : public GlobalHotkey {
public:
    HotkeyWithFallback(std::unique_ptr<GlobalHotkey> preferred,
                       std::unique_ptr<GlobalHotkey> fallback);

    bool registerHotkey(char key, std::function<void()> onPressed) override;
    void unregisterHotkey() override;
    QString lastError() const override;

private:
    std::unique_ptr<GlobalHotkey> preferred_;
    std::unique_ptr<GlobalHotkey> fallback_;
    GlobalHotkey* active_ = nullptr;
};

// The hot key for this session: in a Wayland session whose portal offers global shortcuts,
// the portal with the X11 grab behind it; the X11 grab otherwise.
std::unique_ptr<GlobalHotkey> makeGlobalHotkey();

} // namespace vellumbox
