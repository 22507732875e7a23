// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyState.h"

#include <QKeyEvent>

#include <xcb/xproto.h>

namespace vellumbox {

bool isCapsLockOn(const QKeyEvent& event)
{
    // On X11 the native modifiers are the core protocol's key state.
    return (event.nativeModifiers() & XCB_MOD_MASK_LOCK) != 0;
}

} // namespace vellumbox
