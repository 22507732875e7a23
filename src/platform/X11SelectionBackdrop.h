// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SelectionBackdrop.h"

#include <xcb/xcb.h>

#include <memory>

namespace vellumbox {

// The screen copied into a pixmap on the X server and dimmed there with RENDER: the selection
// window's background shows the dimmed copy, and the undimmed one is copied into the window
// where the selection reveals it.
class X11SelectionBackdrop final : public SelectionBackdrop {
public:
    // Null, with the reason for the log, when the server lacks RENDER or cannot allocate the
    // pixmaps.
    static std::unique_ptr<X11SelectionBackdrop> hold(xcb_connection_t* conn, const QRect& area,
                                                      const QColor& dimming, QString* why);
    ~X11SelectionBackdrop() override;

    bool attach(WId window) override;
    void dim(const QRegion& area) override;
    void reveal(const QRegion& area) override;
    void fill(const QRegion& area, const QColor& color) override;

private:
    X11SelectionBackdrop(xcb_connection_t* conn, const xcb_screen_t& screen);

    xcb_connection_t* conn_;
    xcb_window_t root_;
    xcb_visualid_t visual_;
    uint8_t depth_;
    xcb_pixmap_t plain_ = XCB_NONE;
    xcb_pixmap_t dimmed_ = XCB_NONE;
    xcb_gcontext_t gc_ = XCB_NONE;
    xcb_window_t window_ = XCB_NONE;
    bool dimmedBackground_ = false;
};

} // namespace vellumbox
