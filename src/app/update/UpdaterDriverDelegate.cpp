// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpdaterDriverDelegate.h"

namespace vellumbox {

UpdaterDriverDelegate::UpdaterDriverDelegate(std::function<void()> activateApplication)
    : activateApplication_(std::move(activateApplication))
{}

void UpdaterDriverDelegate::willHandleShowingUpdate(bool /*handleShowingUpdate*/,
                                                    const AppcastItem& /*update*/,
                                                    const UserUpdateState& state) const
{
    if (!state.userInitiated && activateApplication_)
        activateApplication_();
}

} // namespace vellumbox
