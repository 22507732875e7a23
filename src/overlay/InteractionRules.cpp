// SPDX-License-Identifier: GPL-3.0-or-later
#include "InteractionRules.h"

#include <QCoreApplication>
#include <QLineF>

#include <array>
#include <cmath>

namespace vellumbox {

KeyCommand keyCommandFor(int key, Qt::KeyboardModifiers modifiers, bool capsLock, bool editing,
                         bool hasCanvas)
{
    if (key == Qt::Key_Escape)
        return editing ? KeyCommand::ExitEditMode : KeyCommand::Swallow;
    if (capsLock)
        return KeyCommand::PassOn;
    if (modifiers == Qt::ControlModifier) {
        switch (key) {
        case Qt::Key_C:
            return KeyCommand::Copy;
        case Qt::Key_S:
            return KeyCommand::Save;
        case Qt::Key_W:
            return KeyCommand::Close;
        case Qt::Key_Z:
            return editing && hasCanvas ? KeyCommand::Undo : KeyCommand::Swallow;
        default:
            return KeyCommand::PassOn;
        }
    }
    if (modifiers == (Qt::ControlModifier | Qt::ShiftModifier) && key == Qt::Key_Z)
        return KeyCommand::Swallow;
    return KeyCommand::PassOn;
}

bool isDragDistance(const QPointF& pressed, const QPointF& now)
{
    return QLineF(pressed, now).length() >= clickDistanceThreshold;
}

bool isClickDuration(qint64 elapsedMs)
{
    return elapsedMs < clickTimeThresholdMs;
}

QList<ResizePreset> resizePresets(double displayScale)
{
    QList<ResizePreset> presets;
    for (const int tag : {100, 125, 150, 200, 300}) {
        const double scale = tag / 100.0;
        const QString title = tag == 100
                                  ? QCoreApplication::translate("ScreenshotMenu", "100% (Original)")
                                  : QCoreApplication::translate("ScreenshotMenu", "%1%").arg(tag);
        presets.append({title, tag, !(scale < displayScale && scale != 1.0),
                        std::abs(scale - displayScale) < 0.01});
    }
    return presets;
}

} // namespace vellumbox
