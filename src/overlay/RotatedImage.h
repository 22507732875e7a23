// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QSizeF>

namespace vellumbox {

struct RotatedImage {
    QImage image;
    QSizeF size; // in logical pixels
};

// A copy turned clockwise on screen by degrees (any whole number, reduced to 0..359).
// Quarter turns swap both the pixel size and the logical size. Falls back to the
// unrotated bitmap when the rotation cannot be made.
RotatedImage rotatedImage(const QImage& bitmap, int degrees, const QSizeF& size);

} // namespace vellumbox
