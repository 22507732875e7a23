// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtScreenProvider.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace vellumbox {

QList<ScreenInfo> QtScreenProvider::screens() const
{
    QList<ScreenInfo> result;
    QScreen* primary = QGuiApplication::primaryScreen();
    const auto describe = [](const QScreen* screen) {
        const QRect geometry = screen->geometry();
        const qreal ratio = screen->devicePixelRatio();
        return ScreenInfo{screen->name(), geometry, ratio, nativeGeometryOf(geometry, ratio)};
    };
    if (primary)
        result.append(describe(primary));
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary)
            result.append(describe(screen));
    }
    return result;
}

QPoint QtScreenProvider::cursorPosition() const
{
    return QCursor::pos();
}

void QtScreenProvider::setOnScreensChanged(std::function<void()> callback)
{
    onScreensChanged_ = std::move(callback);
    if (watching_)
        return;
    watching_ = true;
    auto* app = qGuiApp;
    connect(app, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watchScreen(screen);
        notify();
    });
    connect(app, &QGuiApplication::screenRemoved, this, &QtScreenProvider::notify);
    for (QScreen* screen : QGuiApplication::screens())
        watchScreen(screen);
}

void QtScreenProvider::watchScreen(QScreen* screen)
{
    connect(screen, &QScreen::geometryChanged, this, &QtScreenProvider::notify);
}

void QtScreenProvider::notify()
{
    if (onScreensChanged_)
        onScreensChanged_();
}

} // namespace vellumbox
