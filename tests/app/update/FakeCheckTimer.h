// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/update/CheckTimer.h"

#include <optional>

// Remembers the pending shot; the test fires it.
class FakeCheckTimer final : public vellumbox::CheckTimer {
public:
    std::optional<qint64> pendingDelayMs;

    void start(qint64 delayMs, std::function<void()> fire) override
    {
        pendingDelayMs = delayMs;
        fire_ = std::move(fire);
    }
    void stop() override
    {
        pendingDelayMs.reset();
        fire_ = nullptr;
    }
    void fire()
    {
        auto callback = std::move(fire_);
        pendingDelayMs.reset();
        if (callback)
            callback();
    }

private:
    std::function<void()> fire_;
};
