// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SelectionBackdrop.h"

#include <xcb/xcb.h>

#include <memory>

namespace vellumbox {

// Without a compositor, the screen copied into a pixmap on the X server and dimmed there with
// RENDER: the selection window's background shows the dimmed copy, and the undimmed one is
// copied into the window where the selection reveals it. With one, a translucent window's
// background is the dimming itself, cleared where the selection reveals the screen.
class X11SelectionBackdrop final : public SelectionBackdrop {
public:
    // Null, with the reason for the log, when the server lacks RENDER or cannot allocate the
    // pixmaps.
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

    xcb_connection_t* conn_;
    const xcb_screen_t* screen_; // in the connection's setup, which outlives it
    QColor dimming_;
    const xcb_visualtype_t* visual_ = nullptr; // the window's
    uint8_t depth_ = 0;
    xcb_pixmap_t plain_ = XCB_NONE;
    xcb_pixmap_t dimmed_ = XCB_NONE;
    xcb_gcontext_t gc_ = XCB_NONE;
    xcb_window_t window_ = XCB_NONE;
    bool dimmedBackground_ = false;
};

} // namespace vellumbox
