// SPDX-License-Identifier: GPL-3.0-or-later
#include "XHarness.h"

#include "TestPattern.h"

#include <QElapsedTimer>
#include <QTest>

#include <cstring>
#include <vector>

namespace e2e {

namespace {

constexpr quint32 kNumLockKeysym = 0xff7f;

QString propertyText(xcb_connection_t* c, xcb_get_property_cookie_t cookie, xcb_atom_t utf8)
{
    XReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(c, cookie, nullptr));
    if (!reply || reply->format != 8)
        return {};
    const char* data = static_cast<const char*>(xcb_get_property_value(reply.get()));
    const int length = xcb_get_property_value_length(reply.get());
    if (reply->type == utf8)
        return QString::fromUtf8(data, length);
    return QString::fromLatin1(data, length);
}

QList<quint32> propertyCardinals(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property)
{
    auto cookie = xcb_get_property(c, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024);
    XReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(c, cookie, nullptr));
    QList<quint32> values;
    if (!reply || reply->format != 32)
        return values;
    const auto* data = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    for (int i = 0; i < count; ++i)
        values.append(data[i]);
    return values;
}

} // namespace

bool waitUntil(const std::function<bool()>& cond, int timeoutMs, int stepMs)
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        if (cond())
            return true;
        if (timer.elapsed() >= timeoutMs)
            return false;
        QTest::qWait(stepMs);
    }
}

XHarness::XHarness()
{
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return;
    }
    m_connection = c;
    auto it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&it);
    m_root = it.data->root;
    m_rootVisual = it.data->root_visual;
    m_rootDepth = it.data->root_depth;
    m_rootSize = QSize(it.data->width_in_pixels, it.data->height_in_pixels);
    m_formatOk = checkImageFormat();
}

XHarness::~XHarness()
{
    if (!m_connection)
        return;
    if (m_background != XCB_NONE)
        xcb_free_pixmap(m_connection, m_background);
    xcb_disconnect(m_connection);
}

// Pixels are read and written as 32-bit 0x00RRGGBB words in the server's order; anything else
// is refused rather than misread.
bool XHarness::checkImageFormat()
{
    const xcb_setup_t* setup = xcb_get_setup(m_connection);
    if (m_rootDepth != 24 || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return false;
    bool formatOk = false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f)) {
        if (f.data->depth == 24)
            formatOk = f.data->bits_per_pixel == 32 && f.data->scanline_pad == 32;
    }
    auto screens = xcb_setup_roots_iterator(setup);
    for (auto d = xcb_screen_allowed_depths_iterator(screens.data); d.rem; xcb_depth_next(&d)) {
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
            if (v.data->visual_id == m_rootVisual) {
                return formatOk && v.data->red_mask == 0xff0000 && v.data->green_mask == 0xff00 &&
                       v.data->blue_mask == 0xff;
            }
        }
    }
    return false;
}

xcb_atom_t XHarness::atom(const char* name)
{
    auto cookie = xcb_intern_atom(m_connection, 0, quint16(std::strlen(name)), name);
    XReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(m_connection, cookie, nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

QList<WindowInfo> XHarness::windows()
{
    // The window manager may reparent a window between reading the tree and reading the
    // window: such a torn snapshot is read again.
    QList<WindowInfo> result;
    for (int attempt = 0; attempt < 10; ++attempt) {
        bool consistent = true;
        result = snapshotWindows(&consistent);
        if (consistent)
            break;
    }
    return result;
}

QList<WindowInfo> XHarness::snapshotWindows(bool* consistent)
{
    QList<WindowInfo> all;
    if (!m_connection)
        return all;
    // The tree, one level at a time, with all requests of a level in flight together.
    QList<WindowInfo> level;
    WindowInfo rootInfo;
    rootInfo.id = m_root;
    level.append(rootInfo);
    while (!level.isEmpty()) {
        std::vector<xcb_query_tree_cookie_t> cookies;
        for (const WindowInfo& w : level)
            cookies.push_back(xcb_query_tree(m_connection, w.id));
        QList<WindowInfo> next;
        for (qsizetype i = 0; i < level.size(); ++i) {
            XReply<xcb_query_tree_reply_t> reply(
                xcb_query_tree_reply(m_connection, cookies[size_t(i)], nullptr));
            if (!reply)
                continue;
            const xcb_window_t* children = xcb_query_tree_children(reply.get());
            const int count = xcb_query_tree_children_length(reply.get());
            const bool underRoot = level[i].id == m_root;
            for (int j = 0; j < count; ++j) {
                WindowInfo child;
                child.id = children[j];
                child.parent = level[i].id;
                child.topLevel = underRoot ? children[j] : level[i].topLevel;
                child.stackIndex = underRoot ? j : level[i].stackIndex;
                next.append(child);
            }
        }
        all += next;
        level = next;
    }

    const xcb_atom_t netWmName = atom("_NET_WM_NAME");
    const xcb_atom_t utf8 = atom("UTF8_STRING");
    struct Cookies {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t position;
        xcb_get_property_cookie_t netName, name, wmClass;
        xcb_query_tree_cookie_t tree;
    };
    std::vector<Cookies> cookies;
    cookies.reserve(size_t(all.size()));
    for (const WindowInfo& w : all) {
        cookies.push_back(
            {xcb_get_window_attributes(m_connection, w.id), xcb_get_geometry(m_connection, w.id),
             xcb_translate_coordinates(m_connection, w.id, m_root, 0, 0),
             xcb_get_property(m_connection, 0, w.id, netWmName, utf8, 0, 1024),
             xcb_get_property(m_connection, 0, w.id, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0,
                              1024),
             xcb_get_property(m_connection, 0, w.id, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 1024),
             xcb_query_tree(m_connection, w.id)});
    }
    QList<WindowInfo> result;
    for (qsizetype i = 0; i < all.size(); ++i) {
        WindowInfo w = all[i];
        const Cookies& c = cookies[size_t(i)];
        XReply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(m_connection, c.attributes, nullptr));
        XReply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(m_connection, c.geometry, nullptr));
        XReply<xcb_translate_coordinates_reply_t> position(
            xcb_translate_coordinates_reply(m_connection, c.position, nullptr));
        w.netWmName = propertyText(m_connection, c.netName, utf8);
        w.wmName = propertyText(m_connection, c.name, utf8);
        const QString wmClass = propertyText(m_connection, c.wmClass, utf8);
        XReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(m_connection, c.tree, nullptr));
        if (tree && tree->parent != w.parent)
            *consistent = false;
        // Gone while being read: leave it out.
        if (!attributes || !geometry || !position)
            continue;
        const QStringList classParts = wmClass.split(QChar(0));
        w.wmInstance = classParts.value(0);
        w.wmClass = classParts.value(1);
        w.overrideRedirect = attributes->override_redirect != 0;
        w.viewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        w.geometry = QRect(position->dst_x, position->dst_y, geometry->width, geometry->height);
        result.append(w);
    }
    return result;
}

QList<WindowInfo> XHarness::windowsNamed(const QString& name, bool viewableOnly)
{
    QList<WindowInfo> result;
    for (const WindowInfo& w : windows()) {
        if (w.isNamed(name) && (w.viewable || !viewableOnly))
            result.append(w);
    }
    return result;
}

std::optional<WindowInfo> XHarness::window(xcb_window_t id)
{
    for (const WindowInfo& w : windows()) {
        if (w.id == id)
            return w;
    }
    return std::nullopt;
}

bool XHarness::waitForWindows(const QString& name, int count, int timeoutMs,
                              QList<WindowInfo>* found)
{
    QList<WindowInfo> last;
    const bool ok = waitUntil(
        [&] {
            last = windowsNamed(name);
            return last.size() == count;
        },
        timeoutMs);
    if (found)
        *found = last;
    return ok;
}

bool XHarness::waitForNoWindow(const QString& name, int timeoutMs)
{
    return waitForWindows(name, 0, timeoutMs);
}

QImage XHarness::grab(const QRect& rootRect)
{
    if (!m_connection || !m_formatOk || rootRect.isEmpty())
        return {};
    auto cookie = xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root,
                                qint16(rootRect.x()), qint16(rootRect.y()),
                                quint16(rootRect.width()), quint16(rootRect.height()), ~0u);
    XReply<xcb_get_image_reply_t> reply(xcb_get_image_reply(m_connection, cookie, nullptr));
    if (!reply || reply->depth != 24)
        return {};
    const qsizetype stride = qsizetype(rootRect.width()) * 4;
    if (xcb_get_image_data_length(reply.get()) < stride * rootRect.height())
        return {};
    const uint8_t* data = xcb_get_image_data(reply.get());
    QImage image(rootRect.size(), QImage::Format_RGB32);
    for (int row = 0; row < rootRect.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        std::memcpy(line, data + row * stride, size_t(stride));
        for (int column = 0; column < rootRect.width(); ++column)
            line[column] |= 0xff000000u;
    }
    return image;
}

bool XHarness::putImage(xcb_drawable_t target, const QImage& image)
{
    const xcb_gcontext_t gc = xcb_generate_id(m_connection);
    xcb_create_gc(m_connection, gc, target, 0, nullptr);
    // Strips small enough for one request even without BIG-REQUESTS.
    const quint32 maxBytes = xcb_get_maximum_request_length(m_connection) * 4u - 64u;
    const int stride = image.width() * 4;
    const int rowsPerStrip =
        qBound(1, int(qMin<quint32>(maxBytes, 1u << 22) / quint32(stride)), image.height());
    for (int row = 0; row < image.height(); row += rowsPerStrip) {
        const int rows = qMin(rowsPerStrip, image.height() - row);
        xcb_put_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, target, gc, quint16(image.width()),
                      quint16(rows), 0, qint16(row), 0, 24, quint32(stride * rows),
                      image.constScanLine(row));
    }
    xcb_free_gc(m_connection, gc);
    return sync();
}

// A round trip: once it returns, the server has carried out every request sent before.
bool XHarness::sync()
{
    auto cookie = xcb_get_input_focus(m_connection);
    XReply<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(m_connection, cookie, nullptr));
    return reply != nullptr;
}

bool XHarness::setBackgroundPattern(int variant, int timeoutMs)
{
    if (!m_connection || !m_formatOk)
        return false;
    if (!setBackgroundImage(pattern::image(variant, QRect(QPoint(0, 0), m_rootSize)), timeoutMs))
        return false;
    m_variant = variant;
    return true;
}

bool XHarness::setBackgroundImage(const QImage& image, int timeoutMs)
{
    if (!m_connection || !m_formatOk)
        return false;
    const QRect all(QPoint(0, 0), m_rootSize);
    const QImage picture = image.convertToFormat(QImage::Format_RGB32);
    const xcb_pixmap_t pixmap = xcb_generate_id(m_connection);
    xcb_create_pixmap(m_connection, 24, pixmap, m_root, quint16(all.width()),
                      quint16(all.height()));
    if (!putImage(pixmap, picture)) {
        xcb_free_pixmap(m_connection, pixmap);
        return false;
    }
    // A compositor paints the root from these properties, so the pixmap must stay alive.
    for (const char* name : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"}) {
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_root, atom(name),
                            XCB_ATOM_PIXMAP, 32, 1, &pixmap);
    }
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_BACK_PIXMAP, &pixmap);
    xcb_clear_area(m_connection, 0, m_root, 0, 0, 0, 0);
    if (m_background != XCB_NONE)
        xcb_free_pixmap(m_connection, m_background);
    m_background = pixmap;
    m_variant = -1;
    xcb_flush(m_connection);

    // Uncovered parts of the screen must show it; panels and docks may cover the rest.
    QRegion uncovered(all);
    for (const WindowInfo& w : windows()) {
        if (w.viewable && w.topLevel == w.id)
            uncovered -= w.geometry;
    }
    return waitUntil(
        [&] {
            const QImage shown = grab(all);
            return pattern::compare(shown, picture, QPoint(0, 0), QRegion(all) - uncovered).equal();
        },
        timeoutMs, 50);
}

QList<xcb_atom_t> XHarness::netWmState(xcb_window_t window)
{
    return propertyCardinals(m_connection, window, atom("_NET_WM_STATE"));
}

bool XHarness::hasNetWmState(xcb_window_t window, const char* stateName)
{
    return netWmState(window).contains(atom(stateName));
}

std::optional<quint32> XHarness::netWmDesktop(xcb_window_t window)
{
    const QList<quint32> values = propertyCardinals(m_connection, window, atom("_NET_WM_DESKTOP"));
    if (values.isEmpty())
        return std::nullopt;
    return values.first();
}

xcb_window_t XHarness::selectionOwner(const char* selection)
{
    auto cookie = xcb_get_selection_owner(m_connection, atom(selection));
    XReply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(m_connection, cookie, nullptr));
    return reply ? reply->owner : XCB_NONE;
}

bool XHarness::keyboardGrabbedElsewhere()
{
    auto cookie = xcb_grab_keyboard(m_connection, 0, m_root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC,
                                    XCB_GRAB_MODE_ASYNC);
    XReply<xcb_grab_keyboard_reply_t> reply(xcb_grab_keyboard_reply(m_connection, cookie, nullptr));
    if (reply && reply->status == XCB_GRAB_STATUS_SUCCESS) {
        xcb_ungrab_keyboard(m_connection, XCB_CURRENT_TIME);
        sync();
        return false;
    }
    return reply && reply->status == XCB_GRAB_STATUS_ALREADY_GRABBED;
}

bool XHarness::pointerGrabbedElsewhere()
{
    auto cookie = xcb_grab_pointer(m_connection, 0, m_root, 0, XCB_GRAB_MODE_ASYNC,
                                   XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME);
    XReply<xcb_grab_pointer_reply_t> reply(xcb_grab_pointer_reply(m_connection, cookie, nullptr));
    if (reply && reply->status == XCB_GRAB_STATUS_SUCCESS) {
        xcb_ungrab_pointer(m_connection, XCB_CURRENT_TIME);
        sync();
        return false;
    }
    return reply && reply->status == XCB_GRAB_STATUS_ALREADY_GRABBED;
}

std::optional<xcb_keycode_t> XHarness::keycodeFor(quint32 keysym)
{
    const xcb_setup_t* setup = xcb_get_setup(m_connection);
    const int first = setup->min_keycode;
    const int count = setup->max_keycode - first + 1;
    auto cookie = xcb_get_keyboard_mapping(m_connection, xcb_keycode_t(first), quint8(count));
    XReply<xcb_get_keyboard_mapping_reply_t> reply(
        xcb_get_keyboard_mapping_reply(m_connection, cookie, nullptr));
    if (!reply || reply->keysyms_per_keycode == 0)
        return std::nullopt;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(reply.get());
    const int perKey = reply->keysyms_per_keycode;
    const int total = xcb_get_keyboard_mapping_keysyms_length(reply.get());
    for (int i = 0; i < total; ++i) {
        if (keysyms[i] == keysym)
            return xcb_keycode_t(first + i / perKey);
    }
    return std::nullopt;
}

quint16 XHarness::numLockMask()
{
    const std::optional<xcb_keycode_t> numLock = keycodeFor(kNumLockKeysym);
    if (!numLock)
        return 0;
    auto cookie = xcb_get_modifier_mapping(m_connection);
    XReply<xcb_get_modifier_mapping_reply_t> reply(
        xcb_get_modifier_mapping_reply(m_connection, cookie, nullptr));
    if (!reply)
        return 0;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(reply.get());
    const int perModifier = reply->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int k = 0; k < perModifier; ++k) {
            if (codes[modifier * perModifier + k] == *numLock)
                return quint16(1u << modifier);
        }
    }
    return 0;
}

QList<quint16> XHarness::lockVariants(quint16 modifiers)
{
    const quint16 numLock = numLockMask();
    QList<quint16> variants = {modifiers, quint16(modifiers | XCB_MOD_MASK_LOCK)};
    if (numLock != 0) {
        variants.append(quint16(modifiers | numLock));
        variants.append(quint16(modifiers | numLock | XCB_MOD_MASK_LOCK));
    }
    return variants;
}

bool XHarness::grabKey(quint32 keysym, quint16 modifiers, QString* error)
{
    const std::optional<xcb_keycode_t> key = keycodeFor(keysym);
    if (!key) {
        if (error)
            *error = QStringLiteral("no keycode for keysym 0x%1").arg(keysym, 0, 16);
        return false;
    }
    for (quint16 variant : lockVariants(modifiers)) {
        auto cookie = xcb_grab_key_checked(m_connection, 1, m_root, variant, *key,
                                           XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        XReply<xcb_generic_error_t> failure(xcb_request_check(m_connection, cookie));
        if (failure) {
            if (error) {
                *error = QStringLiteral("grab of keycode %1 with modifiers 0x%2 refused (error %3)")
                             .arg(*key)
                             .arg(variant, 0, 16)
                             .arg(failure->error_code);
            }
            ungrabKey(keysym, modifiers);
            return false;
        }
    }
    return true;
}

void XHarness::ungrabKey(quint32 keysym, quint16 modifiers)
{
    const std::optional<xcb_keycode_t> key = keycodeFor(keysym);
    if (!key)
        return;
    for (quint16 variant : lockVariants(modifiers))
        xcb_ungrab_key(m_connection, *key, m_root, variant);
    sync();
}

} // namespace e2e
