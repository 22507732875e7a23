// SPDX-License-Identifier: GPL-3.0-or-later
#include "PermissionSymbol.h"

#include <QPainter>
#include <QPainterPath>

namespace vellumbox {

QColor PermissionSymbol::colour(bool granted)
{
    return granted ? QColor(40, 167, 69) : QColor(255, 59, 48);
}

PermissionSymbol::PermissionSymbol(QWidget* parent)
    : QWidget(parent)
{}

void PermissionSymbol::setGranted(bool granted)
{
    granted_ = granted;
    setAccessibleDescription(granted ? tr("Granted") : tr("Not granted"));
    update();
}

void PermissionSymbol::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(1, 1, -1, -1);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour(granted_));
    painter.drawEllipse(box);
    QPen mark(Qt::white, box.width() * 0.12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(mark);
    painter.setBrush(Qt::NoBrush);
    const QPointF c = box.center();
    const qreal r = box.width() * 0.22;
    if (granted_) {
        QPainterPath tick;
        tick.moveTo(c + QPointF(-r, 0));
        tick.lineTo(c + QPointF(-r * 0.25, r * 0.75));
        tick.lineTo(c + QPointF(r * 1.05, -r * 0.7));
        painter.drawPath(tick);
    } else {
        painter.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
        painter.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
    }
}

} // namespace vellumbox
