// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointF>
#include <QRectF>

#include <optional>

namespace vellumbox {

// The normalised rectangle spanned by two points, whatever the drag direction.
QRectF rectFromPoints(const QPointF& p, const QPointF& q);

// A rectangle dragged out from a press to a release, in any direction.
class RectangleDrag {
public:
    void begin(const QPointF& at);
    // Ignored unless a drag is under way.
    void moveTo(const QPointF& at);
    // Ends the drag at `at`: its rectangle when both sides reach `minimumSize`, else none.
    std::optional<QRectF> finish(const QPointF& at, qreal minimumSize);
    void cancel() { start_.reset(); }

    bool isActive() const { return start_.has_value(); }
    // The rectangle while a drag is under way.
    std::optional<QRectF> rect() const;

private:
    std::optional<QPointF> start_;
    QPointF current_;
};

} // namespace vellumbox
