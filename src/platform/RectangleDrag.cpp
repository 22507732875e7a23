// SPDX-License-Identifier: GPL-3.0-or-later
#include "RectangleDrag.h"

#include <algorithm>
#include <cmath>

namespace vellumbox {

QRectF rectFromPoints(const QPointF& p, const QPointF& q)
{
    return {std::min(p.x(), q.x()), std::min(p.y(), q.y()), std::abs(q.x() - p.x()),
            std::abs(q.y() - p.y())};
}

void RectangleDrag::begin(const QPointF& at)
{
    start_ = at;
    current_ = at;
}

void RectangleDrag::moveTo(const QPointF& at)
{
    if (start_)
        current_ = at;
}

std::optional<QRectF> RectangleDrag::finish(const QPointF& at, qreal minimumSize)
{
    if (!start_)
        return std::nullopt;
    const QRectF spanned = rectFromPoints(*start_, at);
    start_.reset();
    if (spanned.width() < minimumSize || spanned.height() < minimumSize)
        return std::nullopt;
    return spanned;
}

std::optional<QRectF> RectangleDrag::rect() const
{
    if (!start_)
        return std::nullopt;
    return rectFromPoints(*start_, current_);
}

} // namespace vellumbox
