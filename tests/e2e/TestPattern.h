// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QRegion>
#include <QString>

namespace e2e::pattern {

// Every pixel of a 4096 x 4096 area has its own colour, and neighbours differ, so that any
// offset, scaling or resampling of the content shows. Variant 1 differs from variant 0 in every
// channel of every pixel.
QRgb pixel(int variant, int x, int y);
QImage image(int variant, const QRect& rootRect);

// Empty when actual (whose top-left pixel is at root position origin) equals expected outside
// the root-coordinate region ignore, channels within tolerance; otherwise the first difference.
QString compare(const QImage& actual, const QImage& expected, const QPoint& origin,
                const QRegion& ignore = {}, int tolerance = 0);

} // namespace e2e::pattern
