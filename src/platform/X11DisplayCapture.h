// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DisplayCapture.h"

#include <QObject>
#include <QTimer>

#include <memory>

namespace vellumbox {

class SharedSegmentPool;

// Reads a screen's device-pixel rectangle of the root window: through MIT-SHM when the
// server offers it, with a plain GetImage otherwise. Shared segments are kept attached and
// reused while captures follow each other (a fresh 33 MB segment costs more in page faults
// than the read itself), and are given back after a short idle time.
class X11DisplayCapture final : public QObject, public DisplayCapture {
    Q_OBJECT
public:
    X11DisplayCapture();
    ~X11DisplayCapture() override;

    DisplayImage captureDisplay(const ScreenInfo& screen) override;
    DisplayImage captureDisplayPart(const ScreenInfo& screen, const QRect& part) override;
    std::unique_ptr<SelectionBackdrop>
    selectionBackdrop(const ScreenInfo& screen, const QColor& dimming, bool compositing) override;

    // For tests and benchmarks: never use MIT-SHM.
    void setSharedMemoryAllowed(bool allowed) { sharedMemoryAllowed_ = allowed; }
    // For tests and benchmarks: the program paints every selection itself.
    void setServerBackdropAllowed(bool allowed) { serverBackdropAllowed_ = allowed; }

    static constexpr int idleReleaseMs = 3000;

private:
    bool sharedMemoryAllowed_ = true;
    bool serverBackdropAllowed_ = true;
    std::shared_ptr<SharedSegmentPool> pool_;
    QTimer idleRelease_;
};

} // namespace vellumbox
