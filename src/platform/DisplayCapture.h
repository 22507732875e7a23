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
    // Where the image's top-left lies on the screen, in its device pixels: not at the origin
    // when only part of the screen was read.
    QPoint origin = {};

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
    // Only `part` of the screen (its device pixels at the screen's own ratio) is wanted: a
    // display that can read less reads just that, and sets the image's origin.
    virtual DisplayImage captureDisplayPart(const ScreenInfo& screen, const QRect& /*part*/)
    {
        return captureDisplay(screen);
    }
    // What the display server paints for a selection over the screen, or null where it
    // cannot: the caller then paints the dimming itself. Without a compositor the server keeps
    // the screen's picture; with one, the compositor shows the screen through a tint.
    virtual std::unique_ptr<SelectionBackdrop>
    selectionBackdrop(const ScreenInfo& /*screen*/, const QColor& /*dimming*/, bool /*compositing*/)
    {
        return nullptr;
    }
};

} // namespace vellumbox
