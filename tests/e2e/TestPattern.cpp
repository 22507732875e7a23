// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestPattern.h"

#include <QPainter>

#include <cstdlib>

namespace e2e::pattern {

QRgb pixel(int variant, int x, int y)
{
    // Blue holds the high nibbles of x and y; green the low byte of y and red the low byte of x,
    // each multiplied by an odd number (a permutation of 0..255, so that neighbours differ a lot)
    // and mixed with what the channels before it hold: a bijection, so no colour repeats.
    const int high = ((x >> 8) & 0x0f) | (((y >> 8) & 0x0f) << 4);
    const int yLow = y & 0xff;
    const int green = ((yLow * 151) ^ (high * 97)) & 0xff;
    const int red = ((x & 0xff) * 167 ^ yLow * 73 ^ high * 59) & 0xff;
    return variant == 0 ? qRgb(red, green, high) : qRgb(255 - red, 255 - green, 255 - high);
}

QImage image(int variant, const QRect& rootRect)
{
    QImage result(rootRect.size(), QImage::Format_RGB32);
    for (int y = 0; y < rootRect.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < rootRect.width(); ++x)
            line[x] = pixel(variant, rootRect.x() + x, rootRect.y() + y);
    }
    return result;
}

QString compare(const QImage& actual, const QImage& expected, const QPoint& origin,
                const QRegion& ignore, int tolerance)
{
    if (actual.size() != expected.size() || expected.isNull())
        return QStringLiteral("an image of %1x%2 where %3x%4 was expected")
            .arg(actual.width())
            .arg(actual.height())
            .arg(expected.width())
            .arg(expected.height());
    // The ignored pixels black in both.
    QImage images[2] = {actual.convertToFormat(QImage::Format_RGB32),
                        expected.convertToFormat(QImage::Format_RGB32)};
    for (QImage& image : images) {
        QPainter painter(&image);
        painter.setClipRegion(ignore.translated(-origin));
        painter.fillRect(image.rect(), Qt::black);
    }
    for (int y = 0; y < actual.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(images[0].constScanLine(y));
        const auto* e = reinterpret_cast<const QRgb*>(images[1].constScanLine(y));
        for (int x = 0; x < actual.width(); ++x) {
            if (std::abs(qRed(a[x]) - qRed(e[x])) > tolerance ||
                std::abs(qGreen(a[x]) - qGreen(e[x])) > tolerance ||
                std::abs(qBlue(a[x]) - qBlue(e[x])) > tolerance)
                return QStringLiteral("at (%1, %2) #%3 where #%4 was expected")
                    .arg(origin.x() + x)
                    .arg(origin.y() + y)
                    .arg(a[x] & 0xffffff, 6, 16, QLatin1Char('0'))
                    .arg(e[x] & 0xffffff, 6, 16, QLatin1Char('0'));
        }
    }
    return {};
}

} // namespace e2e::pattern
