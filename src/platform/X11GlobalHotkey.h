// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GlobalHotkey.h"

#include <QAbstractNativeEventFilter>
#include <QList>

#include <cstdint>

namespace vellumbox {

// A passive key grab on the root window, read back through Qt's native event filter.
class X11GlobalHotkey final : public GlobalHotkey, public QAbstractNativeEventFilter {
public:
    X11GlobalHotkey();
    ~X11GlobalHotkey() override;
    X11GlobalHotkey(const X11GlobalHotkey&) = delete;
    X11GlobalHotkey& operator=(const X11GlobalHotkey&) = delete;

    bool registerHotkey(char key, std::function<void()> onPressed) override;
    void unregisterHotkey() override;
    QString lastError() const override { return lastError_; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    QList<uint8_t> keycodes_;
    std::function<void()> onPressed_;
    QString lastError_;
    bool filterInstalled_ = false;
};

// Whether a key event's modifier state is exactly Control+Shift, Caps Lock and Num Lock aside.
bool isControlShift(uint16_t state);

} // namespace vellumbox
