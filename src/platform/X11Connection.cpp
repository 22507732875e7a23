// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11Connection.h"

#include <QGuiApplication>

#include <xcb/xcb_keysyms.h>

#include <cstring>

namespace vellumbox::x11 {

xcb_connection_t* connection()
{
    auto* app = qGuiApp;
    if (!app)
        return nullptr;
    auto* native = app->nativeInterface<QNativeInterface::QX11Application>();
    return native ? native->connection() : nullptr;
}

xcb_window_t rootWindow()
{
    xcb_connection_t* conn = connection();
    if (!conn)
        return XCB_WINDOW_NONE;
    const xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(conn));
    return it.rem > 0 ? it.data->root : xcb_window_t{XCB_WINDOW_NONE};
}

xcb_atom_t atom(const char* name)
{
    xcb_connection_t* conn = connection();
    if (!conn)
        return XCB_ATOM_NONE;
    const auto cookie = xcb_intern_atom(conn, 0, static_cast<uint16_t>(std::strlen(name)), name);
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(conn, cookie, nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

QList<xcb_keycode_t> keycodesFor(xcb_connection_t* conn, xcb_keysym_t keysym)
{
    QList<xcb_keycode_t> result;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(conn);
    if (!symbols)
        return result;
    const Reply<xcb_keycode_t> codes(xcb_key_symbols_get_keycode(symbols, keysym));
    for (const xcb_keycode_t* code = codes.get(); code && *code != XCB_NO_SYMBOL; ++code)
        result.append(*code);
    xcb_key_symbols_free(symbols);
    return result;
}

xcb_keysym_t shiftedKeysym(xcb_connection_t* conn, xcb_keysym_t keysym)
{
    const QList<xcb_keycode_t> codes = keycodesFor(conn, keysym);
    xcb_key_symbols_t* symbols = codes.isEmpty() ? nullptr : xcb_key_symbols_alloc(conn);
    if (!symbols)
        return 0;
    const xcb_keysym_t shifted = xcb_key_symbols_get_keysym(symbols, codes.first(), 1);
    xcb_key_symbols_free(symbols);
    return shifted;
}

} // namespace vellumbox::x11
