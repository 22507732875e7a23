// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

namespace vellumbox {

class GlobalHotkey {
public:
    virtual ~GlobalHotkey() = default;
    // Registers Control+Shift+<key> for the whole desktop, whatever Caps Lock and Num Lock are.
    // False (with the reason in lastError) when the desktop refuses it.
    virtual bool registerHotkey(char key, std::function<void()> onPressed) = 0;
    virtual void unregisterHotkey() = 0;
    virtual QString lastError() const = 0;
};

} // namespace vellumbox
