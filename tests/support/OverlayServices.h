// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TestSupport.h"
#include "overlay/ScreenshotOverlayPanel.h"
#include "platform/fakes/FakePlatform.h"

namespace vellumbox::testing {

// What a floating screenshot uses, from fakes.
inline OverlayServices overlayServices(fakes::FakePlatform& p)
{
    return {p.windows,
            p.globalInput,
            p.textRecognizer,
            {p.clipboard, p.saveDialog, p.share, p.alerts, p.clock}};
}

} // namespace vellumbox::testing
