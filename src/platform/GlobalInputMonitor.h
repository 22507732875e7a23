// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace vellumbox {

// What the user does in other applications: Escape pressed, a button pressed, the pointer
// moved. Handlers are called on the main thread.
enum class GlobalInput { EscapePressed, ButtonPressed, PointerMoved };

class GlobalInputMonitor {
public:
    virtual ~GlobalInputMonitor() = default;
    // An id for unsubscribe(), or -1 when the desktop refuses to report such input.
    virtual int subscribe(std::function<void(GlobalInput)> handler) = 0;
    virtual void unsubscribe(int id) = 0;
};

} // namespace vellumbox
