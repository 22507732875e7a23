// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DisplayCapture.h"

namespace vellumbox {

// Reads a screen's device-pixel rectangle of the root window: through MIT-SHM when the
// server offers it (no copy through the socket), with a plain GetImage otherwise.
class X11DisplayCapture final : public DisplayCapture {
public:
    DisplayImage captureDisplay(const ScreenInfo& screen) override;

    // For tests and benchmarks: never use MIT-SHM.
    void setSharedMemoryAllowed(bool allowed) { sharedMemoryAllowed_ = allowed; }

private:
    bool sharedMemoryAllowed_ = true;
};

} // namespace vellumbox
