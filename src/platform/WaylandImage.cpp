// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaylandImage.h"

#include <QCoreApplication>

#include <optional>

namespace vellumbox {

namespace {

// wl_shm's own codes for the two formats every compositor has, DRM fourcc codes otherwise.
constexpr uint32_t shmArgb8888 = 0;
constexpr uint32_t shmXrgb8888 = 1;
constexpr uint32_t fourcc(char a, char b, char c, char d)
{
    return static_cast<uint32_t>(a) | static_cast<uint32_t>(b) << 8U |
           static_cast<uint32_t>(c) << 16U | static_cast<uint32_t>(d) << 24U;
}

std::optional<QImage::Format> qtFormat(uint32_t shmFormat)
{
    // Little-endian words: ARGB8888 is B, G, R, A in memory, which is Qt's (A)RGB32.
    switch (shmFormat) {
    case shmXrgb8888:
        return QImage::Format_RGB32;
    case shmArgb8888:
        return QImage::Format_ARGB32;
    case fourcc('X', 'B', '2', '4'):
        return QImage::Format_RGBX8888;
    case fourcc('A', 'B', '2', '4'):
        return QImage::Format_RGBA8888;
    default:
        return std::nullopt;
    }
}

} // namespace

DisplayImage imageFromShmBuffer(const uchar* data, const QSize& size, qsizetype stride,
                                uint32_t shmFormat, bool yInverted)
{
    const std::optional<QImage::Format> format = qtFormat(shmFormat);
    if (!format)
        return {{},
                QCoreApplication::translate("WaylandImage",
                                            "The compositor sent the screen in a pixel format "
                                            "Vellumbox does not read (code 0x%1).")
                    .arg(shmFormat, 8, 16, QLatin1Char('0'))};
    if (data == nullptr || size.isEmpty() || stride < qsizetype{size.width()} * 4)
        return {{},
                QCoreApplication::translate("WaylandImage",
                                            "The compositor sent an empty or malformed picture.")};
    // Opaque in every case: an output has no transparency, whatever the alpha bytes hold.
    // Copied first: the wrapper shares the compositor's buffer, and a conversion to the same
    // format would too.
    QImage image = QImage(data, size.width(), size.height(), stride, *format)
                       .copy()
                       .convertToFormat(QImage::Format_RGB32);
    if (yInverted)
        image = std::move(image).mirrored(false, true);
    return {image, {}};
}

int outputIndexForScreen(const QList<QRect>& outputs, const QRect& screen)
{
    const auto exact = outputs.indexOf(screen);
    if (exact >= 0)
        return static_cast<int>(exact);
    int best = -1;
    qint64 bestArea = 0;
    for (int i = 0; i < outputs.size(); ++i) {
        const QRect common = outputs.at(i).intersected(screen);
        const qint64 area = qint64{common.width()} * common.height();
        if (area > bestArea) {
            bestArea = area;
            best = i;
        }
    }
    return best;
}

} // namespace vellumbox
