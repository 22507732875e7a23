// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SelectionBackdrop.h"

#include <QRect>

#include <xcb/render.h>
#include <xcb/xcb.h>

#include <memory>

namespace vellumbox {

// Without a compositor, the screen copied into a pixmap on the X server: the selection window's
// background, dimmed in place with RENDER, and shown as it is where the selection reveals it.
// With one, a translucent window's background is the dimming itself, cleared where the
// selection reveals the screen.
class X11SelectionBackdrop final : public SelectionBackdrop {
public:
    // Null, with the reason for the log, when the server lacks RENDER. A pixmap the server cannot
    // allocate makes attach() fail.
    static std::unique_ptr<X11SelectionBackdrop> hold(xcb_connection_t* conn, const QRect& area,
                                                      const QColor& dimming, QString* why);
    static std::unique_ptr<X11SelectionBackdrop> tint(xcb_connection_t* conn,
                                                      const QColor& dimming);
    ~X11SelectionBackdrop() override;

    bool attach(WId window) override;
    void dim(const QRegion& area) override;
    void reveal(const QRegion& area) override;
    void fill(const QRegion& area, const QColor& color) override;

private:
    X11SelectionBackdrop(xcb_connection_t* conn, const xcb_screen_t& screen, const QColor& dimming);
    void tintWith(const QRegion& area);
    void clear(const QRegion& area);

    xcb_connection_t* conn_;
    const xcb_screen_t* screen_; // in the connection's setup, which outlives it
    QColor dimming_;
    const xcb_visualtype_t* visual_ = nullptr; // the window's
    uint8_t depth_ = 0;
    xcb_pixmap_t plain_ = XCB_NONE;
    xcb_void_cookie_t allocation_{};
    QRect area_; // on the root window
    xcb_render_pictformat_t format_ = XCB_NONE;
    xcb_render_picture_t windowPicture_ = XCB_NONE;
    xcb_gcontext_t gc_ = XCB_NONE;
    xcb_window_t window_ = XCB_NONE;
    bool heldBackground_ = false;
};

} // namespace vellumbox
