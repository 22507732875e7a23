// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTimer>

#include <functional>

namespace vellumbox {

// When the next scheduled check runs. Virtual so that tests can fire it by hand.
class CheckTimer {
public:
    CheckTimer();
    virtual ~CheckTimer() = default;
    // Replaces any pending shot.
    virtual void start(qint64 delayMs, std::function<void()> fire);
    virtual void stop();

private:
    QTimer timer_;
    std::function<void()> fire_;
};

} // namespace vellumbox
