// SPDX-License-Identifier: GPL-3.0-or-later
#include "HotkeyChoice.h"

#include "CaptureChoice.h"
#include "PortalGlobalHotkey.h"
#include "X11Connection.h"
#include "X11GlobalHotkey.h"

#include <xkbcommon/xkbcommon.h>

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcHotkeyChoice, "vellumbox.Hotkey")

namespace vellumbox {

HotkeyWithFallback::HotkeyWithFallback(std::unique_ptr<GlobalHotkey> preferred,
                                       std::unique_ptr<GlobalHotkey> fallback)
    : preferred_(std::move(preferred))
    , fallback_(std::move(fallback))
{}

bool HotkeyWithFallback::registerHotkey(char key, std::function<void()> onPressed)
{
    unregisterHotkey();
    if (preferred_->registerHotkey(key, onPressed)) {
        active_ = preferred_.get();
        return true;
    }
    qCWarning(lcHotkeyChoice).noquote()
        << "The desktop's shortcut service did not take the hot key:" << preferred_->lastError()
        << "- it works only while a Vellumbox or other X11 window has the focus";
    if (fallback_->registerHotkey(key, std::move(onPressed))) {
        active_ = fallback_.get();
        return true;
    }
    return false;
}

void HotkeyWithFallback::unregisterHotkey()
{
    if (active_ != nullptr)
        active_->unregisterHotkey();
    active_ = nullptr;
}

QString HotkeyWithFallback::lastError() const
{
    return fallback_->lastError().isEmpty() ? preferred_->lastError() : fallback_->lastError();
}

namespace {

// The name of what Shift+<key> types in the current layout ("parenleft" for 9 on a US one).
QString shiftedSymbolName(char key)
{
    xcb_connection_t* conn = x11::connection();
    const xcb_keysym_t shifted =
        conn ? x11::shiftedKeysym(conn, static_cast<unsigned char>(key)) : 0;
    char name[64] = {};
    if (shifted == 0 || xkb_keysym_get_name(shifted, name, sizeof name) <= 0)
        return {};
    return QString::fromLatin1(name);
}

} // namespace

std::unique_ptr<GlobalHotkey> makeGlobalHotkey()
{
    if (isWaylandSession(qgetenv("XDG_SESSION_TYPE"), qgetenv("WAYLAND_DISPLAY")) &&
        PortalGlobalHotkey::available()) {
        auto portal = std::make_unique<PortalGlobalHotkey>([](char key) {
            return portalTrigger(key, qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
                                 shiftedSymbolName(key));
        });
        return std::make_unique<HotkeyWithFallback>(std::move(portal),
                                                    std::make_unique<X11GlobalHotkey>());
    }
    return std::make_unique<X11GlobalHotkey>();
}

} // namespace vellumbox
