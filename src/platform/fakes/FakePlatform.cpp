// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakePlatform.h"

namespace vellumbox::fakes {

DisplayImage FakeDisplayCapture::captureDisplay(const ScreenInfo& screen)
{
    requests.append(screen);
    if (failWith || refuse)
        return {{}, failWith.value_or(QStringLiteral("refused")), 0, refuse};
    if (returnNothing)
        return {{}, {}};
    const QSize size = scale > 0 ? (QSizeF(screen.geometry.size()) * scale).toSize()
                                 : screen.nativeGeometry.size();
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = pixelAt(x, y);
    }
    image.setDevicePixelRatio(scale > 0 ? scale : screen.devicePixelRatio);
    return {image, {}, scale};
}

DisplayImage FakeDisplayCapture::captureDisplayPart(const ScreenInfo& screen, const QRect& part)
{
    DisplayImage whole = captureDisplay(screen);
    if (!readsParts || !whole.ok())
        return whole;
    const QRect kept = part.intersected(whole.image.rect());
    whole.image = whole.image.copy(kept);
    whole.origin = kept.topLeft();
    return whole;
}

QList<ScreenInfo> twoScreens()
{
    const QRect left(0, 0, 1920, 1080);
    const QRect right(1920, 0, 640, 512);
    return {{QStringLiteral("L"), left, 1.0, nativeGeometryOf(left, 1.0)},
            {QStringLiteral("R"), right, 2.0, nativeGeometryOf(right, 2.0)}};
}

} // namespace vellumbox::fakes
