// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRectF>

#include <optional>

namespace vellumbox {

// 0, 90, 180 or 270 for any whole number of degrees.
int normalisedRotation(int degrees);
bool isSideways(int rotationDegrees);

// A frame of the given size centred on the centre of the current one.
QRectF centredFrame(const QRectF& current, const QSizeF& size);

// The frame for a zoom factor; none below 1.0. Always computed from the captured size, so
// repeated zooms and rotations never drift.
std::optional<QRectF> displayScaleFrame(const QRectF& current, const QSizeF& captureSize,
                                        double scale, int rotationDegrees);

// The frame after turning to rotationDegrees at the given zoom.
QRectF rotatedFrame(const QRectF& current, const QSizeF& captureSize, double scale,
                    int rotationDegrees);

// The largest rectangle of the image's aspect ratio inside bounds, centred.
QRectF aspectFitRect(const QSizeF& imageSize, const QRectF& bounds);

} // namespace vellumbox
