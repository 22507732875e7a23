// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QString>

namespace e2e::pattern {

// Every pixel of a 4096 x 4096 area has its own colour, and neighbours differ, so that any
// offset, scaling or resampling of the content shows. Variant 1 differs from variant 0 in every
// channel of every pixel.
QRgb pixel(int variant, int x, int y);
QImage image(int variant, const QRect& rootRect);

struct Diff {
    qint64 compared = 0;
    qint64 mismatches = 0;
    QPoint first; // root coordinates of the first mismatch
    QRgb expected = 0;
    QRgb actual = 0;
    QString problem; // set when the images could not be compared at all
    bool equal() const { return problem.isEmpty() && compared > 0 && mismatches == 0; }
    QString describe() const;
};

// Compares actual (whose top-left pixel is at root position origin) with expected, pixel by
// pixel, skipping the root-coordinate region ignore; channels may differ by up to tolerance.
Diff compare(const QImage& actual, const QImage& expected, const QPoint& origin,
             const QRegion& ignore = {}, int tolerance = 0);

} // namespace e2e::pattern
