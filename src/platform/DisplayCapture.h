// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScreenInfo.h"
#include "SelectionBackdrop.h"

#include <QImage>
#include <QString>

#include <memory>

namespace vellumbox {

// A still image of one whole display at its full pixel density, or the reason there is none.
struct DisplayImage {
    QImage image;
    QString error;
    // Device pixels per logical pixel of the image; 0 means the screen's own ratio. A Wayland
    // compositor gives an output's true density, which XWayland may show at 1x.
    qreal scale = 0;
    // The desktop refused access (or the user did): the permission path, not a failure.
    bool refused = false;

    bool ok() const { return !image.isNull(); }
    // A copy of part of it, opaque: a display may leave the padding byte of its 24-bit
    // pixels undefined, and Qt expects it set.
    QImage opaqueCopy(const QRect& area) const;
};

class DisplayCapture {
public:
    virtual ~DisplayCapture() = default;
    // The image has the screen's device-pixel size and ratio, no pointer drawn.
    virtual DisplayImage captureDisplay(const ScreenInfo& screen) = 0;
    // The screen's picture kept on the display server under the given dimming, or null where
    // the server cannot hold it: the caller then paints captureDisplay's image itself.
    virtual std::unique_ptr<SelectionBackdrop> holdScreen(const ScreenInfo& /*screen*/,
                                                          const QColor& /*dimming*/)
    {
        return nullptr;
    }
};

} // namespace vellumbox
