// SPDX-License-Identifier: GPL-3.0-or-later
#include "VellumboxLogoView.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace vellumbox {

LogoGeometry logoGeometry(const QRectF& rect)
{
    LogoGeometry g;
    // One inset, taken from the width, on every side.
    g.inset = rect.width() * 0.05;
    const qreal availableWidth = rect.width() - 2 * g.inset;
    const qreal availableHeight = rect.height() - 2 * g.inset;
    g.cardSize = QSizeF(availableWidth * 0.65, availableHeight * 0.55);
    g.cornerRadius = std::min(g.cardSize.height(), g.cardSize.width()) * 0.18;
    g.lineWidth = std::max(rect.width() * 0.04, 1.5);
    g.rearOrigin =
        QPointF(rect.x() + g.inset + availableWidth - g.cardSize.width(), rect.y() + g.inset);
    g.frontOrigin =
        QPointF(rect.x() + g.inset, rect.y() + g.inset + availableHeight - g.cardSize.height());
    return g;
}

VellumboxLogoView::VellumboxLogoView(QWidget* parent)
    : QWidget(parent)
{}

void VellumboxLogoView::drawLogo(QPainter& painter, const QRectF& rect, const QColor& stroke,
                                 const std::optional<QColor>& fill)
{
    const LogoGeometry g = logoGeometry(rect);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath rear;
    rear.addRoundedRect(QRectF(g.rearOrigin, g.cardSize), g.cornerRadius, g.cornerRadius);
    QColor faded = stroke;
    faded.setAlphaF(0.5F);
    painter.strokePath(rear, QPen(faded, g.lineWidth));
    QPainterPath front;
    front.addRoundedRect(QRectF(g.frontOrigin, g.cardSize), g.cornerRadius, g.cornerRadius);
    if (fill)
        painter.fillPath(front, *fill);
    painter.strokePath(front, QPen(stroke, g.lineWidth));
    painter.restore();
}

QIcon VellumboxLogoView::trayIcon()
{
    // Drawn at each density in the tray's own points, so that a HiDPI tray shows strokes
    // twice as many pixels wide, not a small picture stretched or a thin one.
    QIcon icon;
    constexpr int side = 18;
    for (const qreal ratio : {1.0, 2.0}) {
        QPixmap pixmap(qRound(side * ratio), qRound(side * ratio));
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        drawLogo(painter, QRectF(0, 0, side, side), Qt::white, std::nullopt);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void VellumboxLogoView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawLogo(painter, QRectF(rect()), palette().color(QPalette::Highlight),
             palette().color(QPalette::Window));
}

} // namespace vellumbox
