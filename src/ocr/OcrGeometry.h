// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QRectF>
#include <QSize>
#include <QSizeF>

namespace vellumbox {

// The bitmap pixels under a region given in the image's points (origin top-left, y downwards),
// widened to whole pixels and clipped to the bitmap; empty when nothing of it lies on the image.
QRect cropRectForRegion(const QRectF& regionInImagePoints, const QSizeF& imagePointSize,
                        const QSize& pixelSize);

} // namespace vellumbox
