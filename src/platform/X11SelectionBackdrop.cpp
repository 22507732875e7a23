// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11SelectionBackdrop.h"

#include "Logging.h"
#include "X11Connection.h"

#include <xcb/render.h>

#include <bit>
#include <vector>

namespace vellumbox {

namespace {

xcb_render_pictformat_t pictureFormatOf(xcb_connection_t* conn, xcb_visualid_t visual)
{
    const x11::Reply<xcb_render_query_pict_formats_reply_t> formats(
        xcb_render_query_pict_formats_reply(conn, xcb_render_query_pict_formats(conn), nullptr));
    if (!formats)
        return XCB_NONE;
    for (auto screen = xcb_render_query_pict_formats_screens_iterator(formats.get()); screen.rem;
         xcb_render_pictscreen_next(&screen)) {
        for (auto depth = xcb_render_pictscreen_depths_iterator(screen.data); depth.rem;
             xcb_render_pictdepth_next(&depth)) {
            for (auto v = xcb_render_pictdepth_visuals_iterator(depth.data); v.rem;
                 xcb_render_pictvisual_next(&v)) {
                if (v.data->visual == visual)
                    return v.data->format;
            }
        }
    }
    return XCB_NONE;
}

const xcb_visualtype_t* visualType(const xcb_screen_t& screen, xcb_visualid_t id)
{
    for (auto depth = xcb_screen_allowed_depths_iterator(&screen); depth.rem;
         xcb_depth_next(&depth)) {
        for (auto v = xcb_depth_visuals_iterator(depth.data); v.rem; xcb_visualtype_next(&v)) {
            if (v.data->visual_id == id)
                return v.data;
        }
    }
    return nullptr;
}

uint32_t channel(int value, uint32_t mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const uint32_t top = mask >> shift;
    return ((static_cast<uint32_t>(value) * top + 127) / 255) << shift;
}

// The pixel of a colour in a TrueColor visual; in a 32-bit one the bits no colour uses are alpha.
uint32_t pixelOf(const QColor& color, const xcb_visualtype_t& visual, uint8_t depth)
{
    const uint32_t colours = visual.red_mask | visual.green_mask | visual.blue_mask;
    const uint32_t alpha = depth == 32 ? ~colours : 0;
    return channel(color.red(), visual.red_mask) | channel(color.green(), visual.green_mask) |
           channel(color.blue(), visual.blue_mask) | channel(color.alpha(), alpha);
}

std::vector<xcb_rectangle_t> rectanglesOf(const QRegion& area)
{
    std::vector<xcb_rectangle_t> rectangles;
    for (const QRect& r : area) {
        rectangles.push_back({static_cast<int16_t>(r.x()), static_cast<int16_t>(r.y()),
                              static_cast<uint16_t>(r.width()), static_cast<uint16_t>(r.height())});
    }
    return rectangles;
}

bool failed(xcb_connection_t* conn, xcb_void_cookie_t cookie)
{
    return x11::Reply<xcb_generic_error_t>(xcb_request_check(conn, cookie)) != nullptr;
}

} // namespace

X11SelectionBackdrop::X11SelectionBackdrop(xcb_connection_t* conn, const xcb_screen_t& screen,
                                           const QColor& dimming)
    : conn_(conn)
    , screen_(&screen)
    , dimming_(dimming)
{}

std::unique_ptr<X11SelectionBackdrop> X11SelectionBackdrop::hold(xcb_connection_t* conn,
                                                                 const QRect& area,
                                                                 const QColor& dimming,
                                                                 QString* why)
{
    const xcb_query_extension_reply_t* render = xcb_get_extension_data(conn, &xcb_render_id);
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(conn));
    const xcb_render_pictformat_t format = render && render->present && screens.rem > 0
                                               ? pictureFormatOf(conn, screens.data->root_visual)
                                               : XCB_NONE;
    if (format == XCB_NONE) {
        *why = QStringLiteral("the X server has no RENDER");
        return nullptr;
    }
    std::unique_ptr<X11SelectionBackdrop> held(
        new X11SelectionBackdrop(conn, *screens.data, dimming));
    // Checked when the window is attached: the server allocates while the program builds it.
    held->plain_ = xcb_generate_id(conn);
    held->allocation_ = xcb_create_pixmap_checked(
        conn, held->screen_->root_depth, held->plain_, held->screen_->root,
        static_cast<uint16_t>(area.width()), static_cast<uint16_t>(area.height()));
    held->area_ = area;
    held->format_ = format;
    return held;
}

std::unique_ptr<X11SelectionBackdrop> X11SelectionBackdrop::tint(xcb_connection_t* conn,
                                                                 const QColor& dimming)
{
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(conn));
    if (screens.rem <= 0)
        return nullptr;
    return std::unique_ptr<X11SelectionBackdrop>(
        new X11SelectionBackdrop(conn, *screens.data, dimming));
}

X11SelectionBackdrop::~X11SelectionBackdrop()
{
    // Qt may already have closed its connection when the program ends.
    if (x11::connection() != conn_)
        return;
    if (windowPicture_ != XCB_NONE)
        xcb_render_free_picture(conn_, windowPicture_);
    if (gc_ != XCB_NONE)
        xcb_free_gc(conn_, gc_);
    // The window keeps its background pixmap for as long as it lives.
    if (plain_ != XCB_NONE && allocation_.sequence != 0 && failed(conn_, allocation_))
        plain_ = XCB_NONE;
    if (plain_ != XCB_NONE)
        xcb_free_pixmap(conn_, plain_);
    xcb_flush(conn_);
}

bool X11SelectionBackdrop::attach(WId window)
{
    const auto id = static_cast<xcb_window_t>(window);
    const x11::Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(conn_, xcb_get_window_attributes(conn_, id), nullptr));
    const x11::Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(conn_, xcb_get_geometry(conn_, id), nullptr));
    if (!attributes || !geometry)
        return false;
    if (plain_ != XCB_NONE && allocation_.sequence != 0) {
        const bool allocated = !failed(conn_, allocation_);
        allocation_ = {};
        if (!allocated) {
            plain_ = XCB_NONE;
            qCWarning(lcScreenCapture).noquote()
                << QStringLiteral("The X server has no room for %1 x %2 pixels")
                       .arg(area_.width())
                       .arg(area_.height());
            return false;
        }
    }
    // A held picture must match the window's visual; a tint needs one with alpha.
    const bool fits =
        plain_ != XCB_NONE ? attributes->visual == screen_->root_visual : geometry->depth == 32;
    visual_ = visualType(*screen_, attributes->visual);
    if (!fits || !visual_)
        return false;
    window_ = id;
    depth_ = geometry->depth;
    gc_ = xcb_generate_id(conn_);
    const uint32_t throughWindows = XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS;
    xcb_create_gc(conn_, gc_, window_, XCB_GC_SUBWINDOW_MODE, &throughWindows);
    if (plain_ != XCB_NONE) {
        windowPicture_ = xcb_generate_id(conn_);
        xcb_render_create_picture(conn_, windowPicture_, window_, format_, 0, nullptr);
    } else {
        // Clear until dimmed, so that the compositor shows the screen unchanged.
        const uint32_t clear = 0;
        xcb_change_window_attributes(conn_, window_, XCB_CW_BACK_PIXEL, &clear);
    }
    return true;
}

void X11SelectionBackdrop::dim(const QRegion& area)
{
    if (window_ == XCB_NONE)
        return;
    if (plain_ == XCB_NONE) {
        tintWith(area);
        return;
    }
    const std::vector<xcb_rectangle_t> rectangles = rectanglesOf(area);
    if (!heldBackground_) {
        // The window maps without a background, so the screen is still there under it: read only
        // now, the copy costs the first paint nothing.
        xcb_copy_area(conn_, screen_->root, plain_, gc_, static_cast<int16_t>(area_.x()),
                      static_cast<int16_t>(area_.y()), 0, 0, static_cast<uint16_t>(area_.width()),
                      static_cast<uint16_t>(area_.height()));
        xcb_change_window_attributes(conn_, window_, XCB_CW_BACK_PIXMAP, &plain_);
        heldBackground_ = true;
    } else {
        clear(area);
    }
    // RENDER takes premultiplied colours.
    const auto premultiplied = [this](float value) {
        return static_cast<uint16_t>(value * dimming_.alphaF() * 0xffff);
    };
    const xcb_render_color_t color{premultiplied(dimming_.redF()), premultiplied(dimming_.greenF()),
                                   premultiplied(dimming_.blueF()),
                                   static_cast<uint16_t>(dimming_.alphaF() * 0xffff)};
    xcb_render_fill_rectangles(conn_, XCB_RENDER_PICT_OP_OVER, windowPicture_, color,
                               static_cast<uint32_t>(rectangles.size()), rectangles.data());
    xcb_flush(conn_);
}

void X11SelectionBackdrop::tintWith(const QRegion& area)
{
    if (!heldBackground_) {
        // Premultiplied, as a compositor reads a window's pixels.
        const QColor premultiplied = QColor::fromRgbF(
            dimming_.redF() * dimming_.alphaF(), dimming_.greenF() * dimming_.alphaF(),
            dimming_.blueF() * dimming_.alphaF(), dimming_.alphaF());
        const uint32_t pixel = pixelOf(premultiplied, *visual_, depth_);
        xcb_change_window_attributes(conn_, window_, XCB_CW_BACK_PIXEL, &pixel);
        heldBackground_ = true;
    }
    clear(area);
    xcb_flush(conn_);
}

void X11SelectionBackdrop::clear(const QRegion& area)
{
    for (const QRect& r : area) {
        xcb_clear_area(conn_, 0, window_, static_cast<int16_t>(r.x()), static_cast<int16_t>(r.y()),
                       static_cast<uint16_t>(r.width()), static_cast<uint16_t>(r.height()));
    }
}

void X11SelectionBackdrop::reveal(const QRegion& area)
{
    if (window_ == XCB_NONE)
        return;
    // Without a held picture the window turns clear there and the compositor shows the screen.
    if (plain_ == XCB_NONE) {
        fill(area, Qt::transparent);
        return;
    }
    clear(area);
    xcb_flush(conn_);
}

void X11SelectionBackdrop::fill(const QRegion& area, const QColor& color)
{
    if (window_ == XCB_NONE)
        return;
    const uint32_t pixel = pixelOf(color, *visual_, depth_);
    xcb_change_gc(conn_, gc_, XCB_GC_FOREGROUND, &pixel);
    const std::vector<xcb_rectangle_t> rectangles = rectanglesOf(area);
    xcb_poly_fill_rectangle(conn_, window_, gc_, static_cast<uint32_t>(rectangles.size()),
                            rectangles.data());
    xcb_flush(conn_);
}

} // namespace vellumbox
