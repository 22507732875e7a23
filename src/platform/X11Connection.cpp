// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11Connection.h"

#include <QGuiApplication>

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

} // namespace vellumbox::x11
