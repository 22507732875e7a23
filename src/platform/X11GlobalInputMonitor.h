// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GlobalInputMonitor.h"

#include <QAbstractNativeEventFilter>
#include <QList>

#include <cstdint>
#include <map>

namespace vellumbox {

// XInput 2 raw events selected on the root window: they arrive whichever window has the
// focus. Selected while anyone listens, deselected when the last one leaves.
class X11GlobalInputMonitor final : public GlobalInputMonitor, public QAbstractNativeEventFilter {
public:
    X11GlobalInputMonitor() = default;
    ~X11GlobalInputMonitor() override;
    X11GlobalInputMonitor(const X11GlobalInputMonitor&) = delete;
    X11GlobalInputMonitor& operator=(const X11GlobalInputMonitor&) = delete;

    int subscribe(std::function<void(GlobalInput)> handler) override;
    void unsubscribe(int id) override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    bool select(bool enable);

    std::map<int, std::function<void(GlobalInput)>> handlers_;
    int nextId_ = 1;
    uint8_t opcode_ = 0;
    QList<uint8_t> escapeKeycodes_;
};

} // namespace vellumbox
