// SPDX-License-Identifier: GPL-3.0-or-later
#include "RotatedImage.h"

#include "PanelGeometry.h"

#include <QTransform>

namespace vellumbox {

QImage rotatedImage(const QImage& bitmap, int degrees)
{
    const int n = normalisedRotation(degrees);
    if (n == 0 || bitmap.isNull())
        return bitmap;
    // Whole quarter turns take Qt's exact pixel-moving path, never resampling.
    QImage turned = bitmap.transformed(QTransform().rotate(n));
    if (turned.isNull())
        return bitmap;
    turned.setDevicePixelRatio(bitmap.devicePixelRatio());
    return turned;
}

} // namespace vellumbox
