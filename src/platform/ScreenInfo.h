// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QString>

namespace vellumbox {

// One monitor as the rest of the program sees it. Geometry is in Qt's logical pixels
// (virtual desktop, y down); nativeGeometry is the same area in root-window device pixels.
struct ScreenInfo {
    QString name;
    QRect geometry;
    qreal devicePixelRatio = 1.0;
    QRect nativeGeometry;

    bool operator==(const ScreenInfo&) const = default;
};

// Qt keeps a screen's native top-left as its logical top-left and scales only the size.
QRect nativeGeometryOf(const QRect& logicalGeometry, qreal devicePixelRatio);

} // namespace vellumbox
