// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScreenInfo.h"

#include <QImage>
#include <QString>

namespace vellumbox {

// A still image of one whole display at its full pixel density, or the reason there is none.
struct DisplayImage {
    QImage image;
    QString error;

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
};

} // namespace vellumbox
