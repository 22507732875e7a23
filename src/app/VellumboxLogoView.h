// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QRectF>
#include <QWidget>

#include <optional>

class QPainter;

namespace vellumbox {

// The two stacked cards of the logo, as drawn into a rectangle (y down: the rear card at the
// top right, the front card at the bottom left).
struct LogoGeometry {
    qreal inset = 0;
    QSizeF cardSize;
    qreal cornerRadius = 0;
    qreal lineWidth = 0;
    QPointF rearOrigin;
    QPointF frontOrigin;
};
LogoGeometry logoGeometry(const QRectF& rect);

// The logo, drawn in code: a half-transparent rear card, then the front card, filled when a
// fill is given so that it covers the rear outline.
class VellumboxLogoView : public QWidget {
    Q_OBJECT
public:
    explicit VellumboxLogoView(QWidget* parent = nullptr);

    static void drawLogo(QPainter& painter, const QRectF& rect, const QColor& stroke,
                         const std::optional<QColor>& fill);
    // The tray icon: white outlines, no fill, at the tray's sizes.
    static QIcon trayIcon();

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vellumbox
