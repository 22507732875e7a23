// SPDX-License-Identifier: GPL-3.0-or-later
#include "SelectionCursor.h"

#include <QLineF>
#include <QPainter>

#include <array>

namespace vellumbox {

QPixmap selectionCrosshairPixmap()
{
    constexpr int side = 32;
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    if (!painter.isActive())
        return pixmap;
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal cx = side / 2.0;
    const qreal cy = side / 2.0;
    const std::array<QLineF, 4> arms{
        QLineF(cx - 10, cy, cx - 3, cy), QLineF(cx + 3, cy, cx + 10, cy),
        QLineF(cx, cy - 10, cx, cy - 3), QLineF(cx, cy + 3, cx, cy + 10)};
    const auto stroke = [&](const QColor& colour, qreal width) {
        painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
        painter.drawLines(arms.data(), static_cast<int>(arms.size()));
    };
    stroke(Qt::white, 3.0);
    stroke(QColor::fromRgbF(0.0F, 0.0F, 0.0F, 0.85F), 1.5);
    return pixmap;
}

const QCursor& selectionCrosshairCursor()
{
    static const QCursor cursor(selectionCrosshairPixmap(), 16, 16);
    return cursor;
}

} // namespace vellumbox
