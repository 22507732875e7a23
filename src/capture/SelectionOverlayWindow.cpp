// SPDX-License-Identifier: GPL-3.0-or-later
#include "SelectionOverlayWindow.h"

#include "CaptureGeometry.h"
#include "SelectionOverlayView.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

namespace vellumbox {

SelectionOverlayWindow::SelectionOverlayWindow(const ScreenInfo& screen, QImage background,
                                               bool translucent)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                           Qt::WindowStaysOnTopHint | Qt::NoDropShadowWindowHint)
    , screen_(screen)
{
    // Not translated: window rules and tools find the window by this name.
    setWindowTitle(QStringLiteral("Vellumbox Selection"));
    setAttribute(Qt::WA_TranslucentBackground, translucent);
    for (QScreen* candidate : QGuiApplication::screens()) {
        if (candidate->name() == screen.name)
            setScreen(candidate);
    }
    setGeometry(screen.geometry);

    view_ = new SelectionOverlayView(std::move(background), this);
    view_->setGeometry(rect());
    const QPointer<SelectionOverlayWindow> self(this);
    view_->onSelectionComplete = [self](const QRectF& rect) {
        if (self && self->onSelectionComplete)
            self->onSelectionComplete(viewToGlobal(rect, self->screen_.geometry), self->screen_);
    };
    view_->onSelectionCancelled = [self] {
        if (self && self->onSelectionCancelled)
            self->onSelectionCancelled();
    };
}

QPaintEngine* SelectionOverlayWindow::paintEngine() const
{
    // Painted by the display server: see SelectionOverlayView::paintOnServer.
    return testAttribute(Qt::WA_PaintOnScreen) ? nullptr : QWidget::paintEngine();
}

} // namespace vellumbox
