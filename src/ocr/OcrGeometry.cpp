// SPDX-License-Identifier: GPL-3.0-or-later
#include "OcrGeometry.h"

#include <cmath>

namespace vellumbox {

QRect cropRectForRegion(const QRectF& regionInImagePoints, const QSizeF& imagePointSize,
                        const QSize& pixelSize)
{
    if (imagePointSize.isEmpty() || pixelSize.isEmpty())
        return {};
    const QRectF region = regionInImagePoints.normalized();
    if (!std::isfinite(region.x()) || !std::isfinite(region.y()) ||
        !std::isfinite(region.width()) || !std::isfinite(region.height()))
        return {};
    const double sx = pixelSize.width() / imagePointSize.width();
    const double sy = pixelSize.height() / imagePointSize.height();
    // Clipped before rounding, so that a region far off the image cannot overflow an int.
    const QRectF pixels =
        QRectF(region.x() * sx, region.y() * sy, region.width() * sx, region.height() * sy)
            .intersected(QRectF(QPointF(0, 0), QSizeF(pixelSize)));
    if (pixels.isEmpty())
        return {};
    // Every pixel the region touches; a hair of rounding error must not add a row or column.
    constexpr double slack = 1e-6;
    const int left = static_cast<int>(std::floor(pixels.left() + slack));
    const int top = static_cast<int>(std::floor(pixels.top() + slack));
    const int right = static_cast<int>(std::ceil(pixels.right() - slack));
    const int bottom = static_cast<int>(std::ceil(pixels.bottom() - slack));
    if (right <= left || bottom <= top)
        return {};
    return {left, top, right - left, bottom - top};
}

} // namespace vellumbox
