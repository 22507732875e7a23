// SPDX-License-Identifier: GPL-3.0-or-later
#include "CheckTimer.h"

#include <algorithm>
#include <limits>

namespace vellumbox {

CheckTimer::CheckTimer()
{
    timer_.setSingleShot(true);
    // Minutes late is fine for a daily check; a coarse timer lets the system sleep.
    timer_.setTimerType(Qt::VeryCoarseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
        if (fire_)
            fire_();
    });
}

void CheckTimer::start(qint64 delayMs, std::function<void()> fire)
{
    fire_ = std::move(fire);
    const qint64 bounded = std::clamp<qint64>(delayMs, 0, std::numeric_limits<int>::max());
    timer_.start(static_cast<int>(bounded));
}

void CheckTimer::stop()
{
    timer_.stop();
    fire_ = nullptr;
}

} // namespace vellumbox
