// SPDX-License-Identifier: GPL-3.0-or-later
#include "HotkeyManager.h"

#include "platform/GlobalHotkey.h"
#include "platform/Logging.h"

#include <QPointer>
#include <QTimer>

namespace vellumbox {

HotkeyManager::HotkeyManager(GlobalHotkey& hotkey, std::function<void()> onPressed)
    : hotkey_(hotkey)
    , onPressed_(std::move(onPressed))
{
    const QPointer<HotkeyManager> self(this);
    isRegistered_ = hotkey_.registerHotkey(key, [self] {
        // Started once the key event has been handled, not inside it.
        QTimer::singleShot(0, self, [self] {
            if (self && self->onPressed_)
                self->onPressed_();
        });
    });
    if (isRegistered_)
        qCInfo(lcHotkey) << "Hot key Ctrl+Shift+9 registered";
    else
        qCCritical(lcHotkey).noquote()
            << QStringLiteral("Could not register the hot key Ctrl+Shift+9: %1")
                   .arg(hotkey_.lastError());
}

HotkeyManager::~HotkeyManager()
{
    if (isRegistered_)
        hotkey_.unregisterHotkey();
}

} // namespace vellumbox
