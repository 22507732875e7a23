// SPDX-License-Identifier: GPL-3.0-or-later
#include "PanelGeometry.h"

#include <algorithm>

namespace vellumbox {

int normalisedRotation(int degrees)
{
    const int remainder = degrees % 360;
    return remainder < 0 ? remainder + 360 : remainder;
}

bool isSideways(int rotationDegrees)
{
    const int n = normalisedRotation(rotationDegrees);
    return n == 90 || n == 270;
}

QRectF centredFrame(const QRectF& current, const QSizeF& size)
{
    const QPointF centre = current.center();
    return {centre.x() - size.width() / 2.0, centre.y() - size.height() / 2.0, size.width(),
            size.height()};
}

std::optional<QRectF> displayScaleFrame(const QRectF& current, const QSizeF& captureSize,
                                        double scale, int rotationDegrees)
{
    if (scale < 1.0)
        return std::nullopt;
    const QSizeF base = isSideways(rotationDegrees) ? captureSize.transposed() : captureSize;
    return centredFrame(current, base * scale);
}

QRectF rotatedFrame(const QRectF& current, const QSizeF& captureSize, double scale,
                    int rotationDegrees)
{
    const QSizeF scaled = captureSize * scale;
    return centredFrame(current, isSideways(rotationDegrees) ? scaled.transposed() : scaled);
}

QRectF aspectFitRect(const QSizeF& imageSize, const QRectF& bounds)
{
    if (imageSize.isEmpty() || bounds.isEmpty())
        return {};
    const double factor =
        std::min(bounds.width() / imageSize.width(), bounds.height() / imageSize.height());
    return centredFrame(bounds, imageSize * factor);
}

} // namespace vellumbox
