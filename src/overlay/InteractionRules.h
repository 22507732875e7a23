// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPointF>
#include <QString>

namespace vellumbox {

// What a key press on a floating screenshot does.
enum class KeyCommand { PassOn, Swallow, ExitEditMode, Copy, Save, Close, Undo };

// Modifiers must match exactly: Control alone, or Control+Shift; Caps Lock, Alt, Meta or the
// keypad flag make it another combination, which is passed on.
KeyCommand keyCommandFor(int key, Qt::KeyboardModifiers modifiers, bool capsLock, bool editing,
                         bool hasCanvas);

inline constexpr qint64 clickTimeThresholdMs = 300;
inline constexpr double clickDistanceThreshold = 5.0;

// A press becomes a drag once the pointer is this far from where it went down.
bool isDragDistance(const QPointF& pressed, const QPointF& now);
// A release this soon after the press, without a drag, is a click.
bool isClickDuration(qint64 elapsedMs);

struct ResizePreset {
    QString title;
    int tag = 100; // the scale in per cent
    bool enabled = true;
    bool checked = false;
};
// The five zoom presets as the Resize submenu shows them at the given zoom: smaller ones
// than the current are disabled, except 100 %; the current one is checked.
QList<ResizePreset> resizePresets(double displayScale);

} // namespace vellumbox
