// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

namespace vellumbox {

// A copy turned clockwise on screen by degrees (any whole number, reduced to 0..359), at the
// same device pixel ratio. Falls back to the unrotated bitmap when the rotation cannot be made.
QImage rotatedImage(const QImage& bitmap, int degrees);

} // namespace vellumbox
