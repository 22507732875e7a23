// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vellumbox {

class ScreenRecordingPermission {
public:
    virtual ~ScreenRecordingPermission() = default;
    // True when the screen may be read; asks nothing of the user.
    virtual bool preflight() = 0;
    // Asks the desktop for access; true when granted.
    virtual bool request() = 0;
    // Opens the desktop's privacy settings where one is known; otherwise does nothing.
    virtual void openSettings() = 0;
};

} // namespace vellumbox
