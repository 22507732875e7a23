// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoweredPanels.h"

#include "OverlayManager.h"
#include "ScreenshotOverlayPanel.h"

namespace vellumbox {

LoweredPanels::LoweredPanels(const OverlayManager& manager)
{
    for (ScreenshotOverlayPanel* panel : manager.overlays()) {
        panel->setLevel(WindowLevel::Normal);
        panels_.append(panel);
    }
}

LoweredPanels::~LoweredPanels()
{
    for (const QPointer<ScreenshotOverlayPanel>& panel : std::as_const(panels_)) {
        if (panel)
            panel->setLevel(WindowLevel::Floating);
    }
}

} // namespace vellumbox
