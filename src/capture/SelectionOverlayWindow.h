// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ScreenInfo.h"

#include <QImage>
#include <QWidget>

#include <functional>

namespace vellumbox {

class SelectionOverlayView;

// A borderless window over one whole screen, above every other window (it bypasses the
// window manager), holding the selection view. Reports in virtual-desktop coordinates.
class SelectionOverlayWindow : public QWidget {
    Q_OBJECT
public:
    SelectionOverlayWindow(const ScreenInfo& screen, QImage background, bool translucent);

    std::function<void(const QRectF&, const ScreenInfo&)> onSelectionComplete;
    std::function<void()> onSelectionCancelled;

    const ScreenInfo& screen() const { return screen_; }
    SelectionOverlayView* view() const { return view_; }
    QPaintEngine* paintEngine() const override;

private:
    ScreenInfo screen_;
    SelectionOverlayView* view_ = nullptr;
};

} // namespace vellumbox
