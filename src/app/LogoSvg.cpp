// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogoSvg.h"

#include "VellumboxLogoView.h"

namespace vellumbox {

namespace {

QString number(qreal value)
{
    return QString::number(value, 'f', 3);
}

QString card(const LogoGeometry& g, const QPointF& origin, const QString& attributes)
{
    return QStringLiteral(R"(  <rect x="%1" y="%2" width="%3" height="%4" rx="%5" %6/>)"
                          "\n")
        .arg(number(origin.x()), number(origin.y()), number(g.cardSize.width()),
             number(g.cardSize.height()), number(g.cornerRadius), attributes);
}

} // namespace

QString logoSvg()
{
    constexpr int side = 128;
    const QString tile = QStringLiteral("#1a73e8");
    const LogoGeometry g = logoGeometry(QRectF(16, 16, 96, 96));
    const QString stroke =
        QStringLiteral(R"(stroke="#ffffff" stroke-width="%1")").arg(number(g.lineWidth));
    QString svg = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>)"
                                 "\n"
                                 R"(<svg xmlns="http://www.w3.org/2000/svg" width="%1" )"
                                 R"(height="%1" viewBox="0 0 %1 %1">)"
                                 "\n")
                      .arg(side);
    svg += QStringLiteral(R"(  <rect x="4" y="4" width="120" height="120" rx="26" fill="%1"/>)"
                          "\n")
               .arg(tile);
    svg +=
        card(g, g.rearOrigin, QStringLiteral(R"(fill="none" %1 stroke-opacity="0.5")").arg(stroke));
    // Filled with the tile so that the front card hides the rear outline behind it.
    svg += card(g, g.frontOrigin, QStringLiteral(R"(fill="%1" %2)").arg(tile, stroke));
    svg += QStringLiteral("</svg>\n");
    return svg;
}

} // namespace vellumbox
