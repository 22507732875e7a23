// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "UpdateUserDriver.h"

#include <functional>

namespace vellumbox {

// Answers the updater's questions about how to present an update.
class UpdaterDriverDelegate {
public:
    explicit UpdaterDriverDelegate(std::function<void()> activateApplication);

    // Updates found by the daily check are announced once, without a modal prompt.
    bool supportsGentleScheduledUpdateReminders() const { return true; }

    // Called just before an update is shown. A tray application has no window in front, so
    // an update nobody asked for would otherwise appear behind other windows; one the user
    // asked for is already in front of them.
    void willHandleShowingUpdate(bool handleShowingUpdate, const AppcastItem& update,
                                 const UserUpdateState& state) const;

private:
    std::function<void()> activateApplication_;
};

} // namespace vellumbox
