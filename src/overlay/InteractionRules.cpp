// SPDX-License-Identifier: GPL-3.0-or-later
#include "InteractionRules.h"

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
    struct Row {
        const char* title;
        int tag;
    };
    constexpr std::array<Row, 5> rows{
        {{"100% (Original)", 100}, {"125%", 125}, {"150%", 150}, {"200%", 200}, {"300%", 300}}};
    QList<ResizePreset> presets;
    for (const Row& row : rows) {
        const double scale = row.tag / 100.0;
        presets.append({QString::fromLatin1(row.title), row.tag,
                        !(scale < displayScale && scale != 1.0),
                        std::abs(scale - displayScale) < 0.01});
    }
    return presets;
}

} // namespace vellumbox
