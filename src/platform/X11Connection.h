// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace vellumbox::x11 {

// Qt's own connection, or null when the application does not run on X11.
xcb_connection_t* connection();
xcb_window_t rootWindow();
xcb_atom_t atom(const char* name);

// Every key code that the current keymap maps to the key symbol.
QList<xcb_keycode_t> keycodesFor(xcb_connection_t* conn, xcb_keysym_t keysym);
// What the first key that types the symbol types with Shift; 0 when none does.
xcb_keysym_t shiftedKeysym(xcb_connection_t* conn, xcb_keysym_t keysym);

struct FreeDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};
// xcb replies and errors are malloc'ed by libxcb.
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

} // namespace vellumbox::x11
