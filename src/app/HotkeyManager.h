// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <functional>

namespace vellumbox {

class GlobalHotkey;

// Ctrl+Shift+9 from anywhere. Registered on construction, for the whole run.
class HotkeyManager : public QObject {
    Q_OBJECT
public:
    HotkeyManager(GlobalHotkey& hotkey, std::function<void()> onPressed);
    ~HotkeyManager() override;
    HotkeyManager(const HotkeyManager&) = delete;
    HotkeyManager& operator=(const HotkeyManager&) = delete;

    bool isRegistered() const { return isRegistered_; }

    static constexpr char key = '9';

private:
    GlobalHotkey& hotkey_;
    std::function<void()> onPressed_;
    bool isRegistered_ = false;
};

} // namespace vellumbox
