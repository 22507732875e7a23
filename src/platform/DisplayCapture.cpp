// SPDX-License-Identifier: GPL-3.0-or-later
#include "DisplayCapture.h"

namespace vellumbox {

QImage DisplayImage::opaqueCopy(const QRect& area) const
{
    QImage copy = image.copy(area);
    for (int y = 0; y < copy.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(copy.scanLine(y));
        for (int x = 0; x < copy.width(); ++x)
            line[x] |= 0xff000000U;
    }
    return copy;
}

} // namespace vellumbox
