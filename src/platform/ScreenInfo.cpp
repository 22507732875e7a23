// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenInfo.h"

#include <cmath>

namespace vellumbox {

QRect nativeGeometryOf(const QRect& logicalGeometry, qreal devicePixelRatio)
{
    const auto scaled = [devicePixelRatio](int length) {
        return static_cast<int>(std::round(length * devicePixelRatio));
    };
    return {logicalGeometry.topLeft(),
            QSize(scaled(logicalGeometry.width()), scaled(logicalGeometry.height()))};
}

} // namespace vellumbox
