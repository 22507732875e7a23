// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPointer>

namespace vellumbox {

class OverlayManager;
class ScreenshotOverlayPanel;

// Drops every floating screenshot to the normal level for its lifetime, so that an alert
// or a menu is never hidden behind one, then lifts the same panels again.
class LoweredPanels {
public:
    explicit LoweredPanels(const OverlayManager& manager);
    ~LoweredPanels();
    LoweredPanels(const LoweredPanels&) = delete;
    LoweredPanels& operator=(const LoweredPanels&) = delete;

private:
    QList<QPointer<ScreenshotOverlayPanel>> panels_;
};

} // namespace vellumbox
