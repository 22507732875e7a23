// SPDX-License-Identifier: GPL-3.0-or-later
#include "EditModeMonitors.h"

#include "ScreenshotOverlayPanel.h"
#include "platform/GlobalInputMonitor.h"

#include <QCoreApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QTimer>

namespace vellumbox {

EditModeMonitors::EditModeMonitors(ScreenshotOverlayPanel& panel, GlobalInputMonitor& global)
    : panel_(&panel)
    , global_(global)
{
    QCoreApplication::instance()->installEventFilter(this);
    installed_ = true;
    const QPointer<EditModeMonitors> self(this);
    subscription_ = global_.subscribe([self](GlobalInput input) {
        if (self)
            self->otherApplicationInput(static_cast<int>(input));
    });
}

EditModeMonitors::~EditModeMonitors()
{
    remove();
}

void EditModeMonitors::remove()
{
    if (installed_ && QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
    installed_ = false;
    if (subscription_ >= 0)
        global_.unsubscribe(subscription_);
    subscription_ = -1;
}

bool EditModeMonitors::eventFilter(QObject* watched, QEvent* event)
{
    if (!panel_ || !panel_->isInEditMode())
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            panel_->exitEditMode();
            return true;
        }
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::Enter:
        // Only for the screenshot being edited.
        if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->window() == panel_)
            panel_->toolCursorOrFocusNeeded(event->type() == QEvent::MouseButtonPress);
        return false;
    default:
        return false;
    }
}

void EditModeMonitors::otherApplicationInput(int input)
{
    // Acted on from the event loop, never inside the X event handling.
    const QPointer<ScreenshotOverlayPanel> panel = panel_;
    if (static_cast<GlobalInput>(input) == GlobalInput::EscapePressed) {
        QTimer::singleShot(0, panel, [panel] {
            if (panel && panel->isInEditMode())
                panel->exitEditMode();
        });
        return;
    }
    if (!panel || !panel->isInEditMode() || panel->isActiveWindow() ||
        !panel->frameGeometry().contains(QCursor::pos()))
        return;
    QTimer::singleShot(0, panel, [panel] {
        if (panel && panel->isInEditMode())
            panel->toolCursorOrFocusNeeded(true);
    });
}

} // namespace vellumbox
