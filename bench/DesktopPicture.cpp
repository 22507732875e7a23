// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopPicture.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QStringList>

namespace vellumbox::bench {

QImage desktopPicture(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(0x3b, 0x4a, 0x5c));
    QPainter painter(&image);
    QRandomGenerator random(2026);
    const QStringList words =
        QStringLiteral(
            "the capture of a region floats above every window exactly where it was taken and "
            "keeps its pixels at the full density of the screen while the user works on")
            .split(QLatin1Char(' '));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    painter.setFont(font);
    for (int w = 0; w < 9; ++w) {
        const QRect window(random.bounded(size.width() - 700), random.bounded(size.height() - 400),
                           500 + random.bounded(200), 300 + random.bounded(100));
        painter.fillRect(window, Qt::white);
        painter.fillRect(window.x(), window.y(), window.width(), 28, QColor(0xdd, 0xdd, 0xdd));
        painter.setPen(Qt::black);
        for (int line = 0; line < (window.height() - 80) / 18; ++line) {
            QString text;
            for (int k = 0; k < 9; ++k)
                text += words.at(random.bounded(words.size())) + QLatin1Char(' ');
            painter.drawText(window.x() + 12, window.y() + 48 + line * 18, text);
        }
        painter.setBrush(QColor(0, 122, 255));
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(window.right() - 100, window.bottom() - 36, 88, 26, 5, 5);
    }
    // A photograph: smooth light with sensor noise.
    const QRect photo(1300, 560, 560, 420);
    for (int y = photo.top(); y <= photo.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = photo.left(); x <= photo.right(); ++x) {
            const int noise = random.bounded(17) - 8;
            line[x] = qRgb(qBound(0, (x - photo.left()) / 3 + 60 + noise, 255),
                           qBound(0, (y - photo.top()) / 2 + 40 + noise, 255),
                           qBound(0, 160 - (x - photo.left()) / 5 + noise, 255));
        }
    }
    return image;
}

} // namespace vellumbox::bench
