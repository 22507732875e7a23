// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GlobalHotkey.h"

#include <QAbstractNativeEventFilter>
#include <QList>

#include <cstdint>

#include <xcb/xcb.h>

namespace vellumbox {

// A passive key grab on the root window, read back through Qt's native event filter. It
// follows the keymap: a layout switch that moves the key is grabbed anew.
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
    bool grab(xcb_connection_t* conn, xcb_window_t root);
    void ungrab();
    bool isKeymapChange(const xcb_generic_event_t* event) const;

    char key_ = 0;
    // The XKB extension's first event code, 0 without it.
    uint8_t xkbEvent_ = 0;
    QList<uint8_t> keycodes_;
    std::function<void()> onPressed_;
    QString lastError_;
    bool filterInstalled_ = false;
};

// Whether a key event's modifier state is exactly Control+Shift, Caps Lock and Num Lock aside.
bool isControlShift(uint16_t state);

} // namespace vellumbox
