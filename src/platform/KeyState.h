// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QKeyEvent;

namespace vellumbox {

// Whether Caps Lock was on for this key press: Qt keeps it out of the event's modifiers.
bool isCapsLockOn(const QKeyEvent& event);

} // namespace vellumbox
