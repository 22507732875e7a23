// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTimer>

#include <functional>

namespace vellumbox {

// When the next scheduled check runs; tests fire it by hand.
class CheckTimer {
public:
    virtual ~CheckTimer() = default;
    // Replaces any pending shot.
    virtual void start(qint64 delayMs, std::function<void()> fire) = 0;
    virtual void stop() = 0;
};

class QtCheckTimer final : public CheckTimer {
public:
    QtCheckTimer();
    void start(qint64 delayMs, std::function<void()> fire) override;
    void stop() override;

private:
    QTimer timer_;
    std::function<void()> fire_;
};

} // namespace vellumbox
