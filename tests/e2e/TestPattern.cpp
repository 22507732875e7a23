// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestPattern.h"

#include <cstdlib>
#include <vector>

namespace e2e::pattern {

QRgb pixel(int variant, int x, int y)
{
    // Blue holds the high nibbles of x and y; green the low byte of y and red the low byte of x,
    // each multiplied by an odd number (a permutation of 0..255, so that neighbours differ a lot)
    // and mixed with what the channels before it hold: a bijection, so no colour repeats.
    const int high = ((x >> 8) & 0x0f) | (((y >> 8) & 0x0f) << 4);
    const int yLow = y & 0xff;
    const int blue = high;
    const int green = ((yLow * 151) ^ (high * 97)) & 0xff;
    const int red = ((x & 0xff) * 167 ^ yLow * 73 ^ high * 59) & 0xff;
    if (variant == 0)
        return qRgb(red, green, blue);
    return qRgb(255 - red, 255 - green, 255 - blue);
}

QImage image(int variant, const QRect& rootRect)
{
    QImage result(rootRect.size(), QImage::Format_RGB32);
    for (int row = 0; row < rootRect.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(row));
        for (int column = 0; column < rootRect.width(); ++column)
            line[column] = pixel(variant, rootRect.x() + column, rootRect.y() + row);
    }
    return result;
}

QString Diff::describe() const
{
    if (!problem.isEmpty())
        return problem;
    if (compared == 0)
        return QStringLiteral("nothing was compared");
    if (mismatches == 0)
        return QStringLiteral("%1 pixels equal").arg(compared);
    return QStringLiteral("%1 of %2 pixels differ; first at (%3,%4): expected #%5, got #%6")
        .arg(mismatches)
        .arg(compared)
        .arg(first.x())
        .arg(first.y())
        .arg(expected & 0xffffff, 6, 16, QLatin1Char('0'))
        .arg(actual & 0xffffff, 6, 16, QLatin1Char('0'));
}

Diff compare(const QImage& actual, const QImage& expected, const QPoint& origin,
             const QRegion& ignore, int tolerance)
{
    Diff diff;
    if (actual.isNull() || actual.size() != expected.size()) {
        diff.problem = QStringLiteral("image of %1x%2 where %3x%4 was expected")
                           .arg(actual.width())
                           .arg(actual.height())
                           .arg(expected.width())
                           .arg(expected.height());
        return diff;
    }
    const QImage a = actual.convertToFormat(QImage::Format_RGB32);
    const QImage e = expected.convertToFormat(QImage::Format_RGB32);
    for (int row = 0; row < a.height(); ++row) {
        const int y = origin.y() + row;
        // The ignored columns of this row, as a mask: far cheaper than asking the region per pixel.
        std::vector<bool> skip(size_t(a.width()), false);
        for (const QRect& r : ignore) {
            if (y < r.top() || y > r.bottom())
                continue;
            const int from = qMax(r.left() - origin.x(), 0);
            const int to = qMin(r.right() - origin.x(), a.width() - 1);
            for (int column = from; column <= to; ++column)
                skip[size_t(column)] = true;
        }
        const auto* aLine = reinterpret_cast<const QRgb*>(a.constScanLine(row));
        const auto* eLine = reinterpret_cast<const QRgb*>(e.constScanLine(row));
        for (int column = 0; column < a.width(); ++column) {
            if (skip[size_t(column)])
                continue;
            ++diff.compared;
            const QRgb x = aLine[column];
            const QRgb w = eLine[column];
            const bool same = std::abs(qRed(x) - qRed(w)) <= tolerance &&
                              std::abs(qGreen(x) - qGreen(w)) <= tolerance &&
                              std::abs(qBlue(x) - qBlue(w)) <= tolerance;
            if (same)
                continue;
            if (diff.mismatches++ == 0) {
                diff.first = QPoint(origin.x() + column, y);
                diff.expected = w;
                diff.actual = x;
            }
        }
    }
    return diff;
}

} // namespace e2e::pattern
