// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the app tests and the overlay, capture and text recognition tests share.

#include "overlay/ScreenshotOverlayPanel.h"
#include "platform/fakes/FakePlatform.h"
#include "support/TestSupport.h"

namespace vellumbox::testing {

// What a floating screenshot uses, from fakes.
inline OverlayServices overlayServices(fakes::FakePlatform& p)
{
    return {p.windows,
            p.globalInput,
            p.textRecognizer,
            {p.clipboard, p.saveDialog, p.share, p.alerts, p.clock}};
}

// Each alert shown as "message: informative text", a warning marked "!", so that what was said
// compares in one step.
inline QStringList alertTexts(const fakes::FakeAlertPresenter& alerts)
{
    QStringList out;
    for (const Alert& a : alerts.shown)
        out.append((a.style == AlertStyle::Warning ? QStringLiteral("! ") : QString()) + a.message +
                   QStringLiteral(": ") + a.informativeText);
    return out;
}

} // namespace vellumbox::testing
