// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptureGeometry.h"

#include <algorithm>
#include <cmath>

namespace vellumbox {

namespace {

// std::round rounds halves away from zero.
int roundedPixel(double value)
{
    return static_cast<int>(std::round(value));
}

} // namespace

QPointF snapToLogicalPixel(const QPointF& point)
{
    return {std::round(point.x()), std::round(point.y())};
}

QPointF clampToSize(const QPointF& point, const QSizeF& size)
{
    return {std::clamp(point.x(), 0.0, size.width()), std::clamp(point.y(), 0.0, size.height())};
}

QRectF viewToGlobal(const QRectF& viewRect, const QRect& screenGeometry)
{
    return viewRect.translated(screenGeometry.topLeft());
}

QRect pixelCropRect(const QRectF& globalRect, const QRectF& screenGeometry, qreal scale)
{
    const double localX = globalRect.x() - screenGeometry.x();
    const double localY = globalRect.y() - screenGeometry.y();
    return {roundedPixel(scale * localX), roundedPixel(scale * localY),
            roundedPixel(scale * globalRect.width()), roundedPixel(scale * globalRect.height())};
}

int screenIndexAt(const QList<QRect>& screens, const QPoint& point)
{
    for (qsizetype i = 0; i < screens.size(); ++i) {
        if (screens.at(i).contains(point))
            return static_cast<int>(i);
    }
    return -1;
}

SelectionRepaint selectionRepaint(const QRect& before, const QRect& after, int borderWidth)
{
    const int outside = borderWidth / 2;
    const int inside = borderWidth - outside;
    const auto outer = [outside](const QRect& r) {
        return r.isEmpty() ? QRegion() : QRegion(r.adjusted(-outside, -outside, outside, outside));
    };
    const auto inner = [inside](const QRect& r) {
        return r.isEmpty() ? QRegion() : QRegion(r.adjusted(inside, inside, -inside, -inside));
    };
    return {outer(before) - outer(after), inner(after) - inner(before),
            (outer(after) - inner(after)) - (outer(before) - inner(before))};
}

} // namespace vellumbox
