// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QRegion>

namespace vellumbox {

// Qt places windows on whole logical pixels: a selection whose edges lie there can float
// exactly where it was taken, also on a screen with a scale factor.
QPointF snapToLogicalPixel(const QPointF& point);

// A drag that leaves its screen is held at the screen's edge.
QPointF clampToSize(const QPointF& point, const QSizeF& size);

// A rectangle in a screen's local coordinates, moved to the virtual desktop.
QRectF viewToGlobal(const QRectF& viewRect, const QRect& screenGeometry);

// The device-pixel rectangle of a display image that shows a global logical rectangle.
// Each value is rounded to the nearest whole pixel, halves away from zero.
QRect pixelCropRect(const QRectF& globalRect, const QRectF& screenGeometry, qreal scale);

// The first screen containing the point (right and bottom edges outside), or -1.
int screenIndexAt(const QList<QRect>& screens, const QPoint& point);

// What a change of the selection repaints, in device pixels: where the screen goes back under
// the dimming, where it shows as it is, and the border, centred on the rectangle's edge. An
// empty rectangle is no selection.
struct SelectionRepaint {
    QRegion dim;
    QRegion reveal;
    QRegion border;
};
SelectionRepaint selectionRepaint(const QRect& before, const QRect& after, int borderWidth);

} // namespace vellumbox
