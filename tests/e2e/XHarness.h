// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The test's own connection to the session's X server, independent of Qt, and the pictures it
// shows there.

#include <QDeadlineTimer>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QTest>

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

namespace e2e {

// Polls cond while the event loop runs (so QProcess output keeps arriving); true once it holds.
inline bool waitUntil(const std::function<bool()>& cond, int timeoutMs = 10000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!cond()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(20);
    }
    return true;
}

namespace pattern {

// Every pixel of a 4096 x 4096 area has its own colour and neighbours differ a lot, so that any
// offset, scaling or resampling shows. Variant 1 differs from variant 0 in every channel.
inline QImage image(int variant, const QRect& rootRect)
{
    QImage result(rootRect.size(), QImage::Format_RGB32);
    for (int y = rootRect.top(); y <= rootRect.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y - rootRect.top()));
        for (int x = rootRect.left(); x <= rootRect.right(); ++x) {
            // Odd multipliers permute 0..255; each channel mixes in those before it.
            const int high = ((x >> 8) & 0x0f) | (((y >> 8) & 0x0f) << 4);
            const int green = (((y & 0xff) * 151) ^ (high * 97)) & 0xff;
            const int red = ((x & 0xff) * 167 ^ (y & 0xff) * 73 ^ high * 59) & 0xff;
            line[x - rootRect.left()] =
                variant == 0 ? qRgb(red, green, high) : qRgb(255 - red, 255 - green, 255 - high);
        }
    }
    return result;
}

// Empty when actual (its top-left pixel at root position origin) equals expected outside the
// root region ignore, channels within tolerance; otherwise the first difference.
inline QString compare(const QImage& actual, const QImage& expected, const QPoint& origin,
                       const QRegion& ignore = {}, int tolerance = 0)
{
    if (actual.size() != expected.size() || expected.isNull())
        return QString::asprintf("an image of %dx%d where %dx%d was expected", actual.width(),
                                 actual.height(), expected.width(), expected.height());
    QImage images[2] = {actual.convertToFormat(QImage::Format_RGB32),
                        expected.convertToFormat(QImage::Format_RGB32)};
    for (QImage& image : images) {
        QPainter painter(&image);
        painter.setClipRegion(ignore.translated(-origin));
        painter.fillRect(image.rect(), Qt::black);
    }
    for (int y = 0; y < actual.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(images[0].constScanLine(y));
        const auto* e = reinterpret_cast<const QRgb*>(images[1].constScanLine(y));
        for (int x = 0; x < actual.width(); ++x) {
            if (std::abs(qRed(a[x]) - qRed(e[x])) > tolerance ||
                std::abs(qGreen(a[x]) - qGreen(e[x])) > tolerance ||
                std::abs(qBlue(a[x]) - qBlue(e[x])) > tolerance)
                return QString::asprintf("at (%d, %d) #%06x where #%06x was expected",
                                         origin.x() + x, origin.y() + y, a[x] & 0xffffff,
                                         e[x] & 0xffffff);
        }
    }
    return {};
}

} // namespace pattern

struct WindowInfo {
    xcb_window_t id = XCB_NONE;
    // The child of the root that holds this window: its frame when the window manager manages it.
    xcb_window_t topLevel = XCB_NONE;
    int stackIndex = -1; // of topLevel among the root's children, bottom-most first
    QString name;
    bool overrideRedirect = false;
    QRect geometry; // root coordinates
};

class XHarness {
public:
    template <typename T> static auto owned(T* reply) // an xcb reply
    {
        return std::unique_ptr<T, decltype(&std::free)>(reply, &std::free);
    }
    XHarness()
    {
        m_c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_c))
            return;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data;
        m_root = screen->root;
        m_netWmName = atom("_NET_WM_NAME");
        m_rootSize = QSize(screen->width_in_pixels, screen->height_in_pixels);
    }
    ~XHarness()
    {
        if (m_background != XCB_NONE)
            xcb_free_pixmap(m_c, m_background);
        xcb_disconnect(m_c);
    }
    XHarness(const XHarness&) = delete;
    XHarness& operator=(const XHarness&) = delete;

    bool isConnected() const { return m_root != XCB_NONE; }
    xcb_connection_t* connection() const { return m_c; }
    xcb_window_t root() const { return m_root; }
    QSize rootSize() const { return m_rootSize; }

    xcb_atom_t atom(const char* name)
    {
        auto cookie = xcb_intern_atom(m_c, 0, quint16(std::strlen(name)), name);
        const auto reply = owned(xcb_intern_atom_reply(m_c, cookie, nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    // A round trip: once it returns, the server has carried out every request sent before.
    void sync() { std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr)); }

    // Every viewable window below the root, each before its children, bottom-most first.
    QList<WindowInfo> windows(xcb_window_t parent = XCB_NONE, const WindowInfo& holder = {})
    {
        const auto any = XCB_GET_PROPERTY_TYPE_ANY;
        const auto tree = owned(
            xcb_query_tree_reply(m_c, xcb_query_tree(m_c, parent ? parent : m_root), nullptr));
        QList<WindowInfo> result;
        for (int j = 0; tree && j < xcb_query_tree_children_length(tree.get()); ++j) {
            const xcb_window_t id = xcb_query_tree_children(tree.get())[j];
            const auto attributesCookie = xcb_get_window_attributes(m_c, id);
            const auto geometryCookie = xcb_get_geometry(m_c, id);
            const auto positionCookie = xcb_translate_coordinates(m_c, id, m_root, 0, 0);
            const auto netNameCookie = xcb_get_property(m_c, 0, id, m_netWmName, any, 0, 256);
            const auto nameCookie = xcb_get_property(m_c, 0, id, XCB_ATOM_WM_NAME, any, 0, 256);
            const auto attributes =
                owned(xcb_get_window_attributes_reply(m_c, attributesCookie, nullptr));
            const auto geometry = owned(xcb_get_geometry_reply(m_c, geometryCookie, nullptr));
            const auto position =
                owned(xcb_translate_coordinates_reply(m_c, positionCookie, nullptr));
            // Not every window has both; Qt's tray icon has only the first.
            const QByteArray netName = propertyBytes(netNameCookie, 8);
            const QByteArray name = propertyBytes(nameCookie, 8);
            // Gone while being read, or not shown (nor then its children): left out.
            if (!attributes || !geometry || !position ||
                attributes->map_state != XCB_MAP_STATE_VIEWABLE)
                continue;
            WindowInfo w{
                id,
                parent ? holder.topLevel : id,
                parent ? holder.stackIndex : j,
                QString::fromUtf8(netName.isEmpty() ? name : netName),
                attributes->override_redirect != 0,
                QRect(position->dst_x, position->dst_y, geometry->width, geometry->height)};
            result.append(w);
            result += windows(id, w);
        }
        return result;
    }
    QList<WindowInfo> windowsWhere(const std::function<bool(const WindowInfo&)>& keep)
    {
        QList<WindowInfo> result = windows();
        result.removeIf([&](const WindowInfo& w) { return !keep(w); });
        return result;
    }
    QList<WindowInfo> windowsNamed(const QString& name)
    {
        return windowsWhere([&](const WindowInfo& w) { return w.name == name; });
    }
    WindowInfo window(xcb_window_t id) // an empty one when gone
    {
        return windowsWhere([&](const WindowInfo& w) { return w.id == id; }).value(0);
    }
    // True once exactly count windows carry the name; found receives the last ones seen.
    bool waitForWindows(const QString& name, int count, QList<WindowInfo>* found = nullptr)
    {
        QList<WindowInfo> last;
        const bool ok = waitUntil([&] { return (last = windowsNamed(name)).size() == count; });
        if (found)
            *found = last;
        return ok;
    }

    // A rectangle of the root window as displayed; null on failure.
    QImage grab(const QRect& rootRect)
    {
        auto cookie = xcb_get_image(m_c, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, qint16(rootRect.x()),
                                    qint16(rootRect.y()), quint16(rootRect.width()),
                                    quint16(rootRect.height()), ~0u);
        const auto reply = owned(xcb_get_image_reply(m_c, cookie, nullptr));
        // Depth 24 in 32-bit words without padding is all the session's server gives.
        const qsizetype bytes = qsizetype(rootRect.width()) * rootRect.height() * 4;
        if (!reply || reply->depth != 24 || xcb_get_image_data_length(reply.get()) != bytes)
            return {};
        QImage image(rootRect.size(), QImage::Format_RGB32);
        std::memcpy(image.bits(), xcb_get_image_data(reply.get()), size_t(bytes));
        return image;
    }

    // Shows image (of the root's size) as the background, also to a compositor, and waits until
    // the screen shows it where no window covers it.
    bool setBackground(const QImage& image)
    {
        if (image.size() != m_rootSize)
            return false;
        const QImage picture = image.convertToFormat(QImage::Format_RGB32);
        const xcb_pixmap_t pixmap = xcb_generate_id(m_c);
        xcb_create_pixmap(m_c, 24, pixmap, m_root, quint16(m_rootSize.width()),
                          quint16(m_rootSize.height()));
        const xcb_gcontext_t gc = xcb_generate_id(m_c);
        xcb_create_gc(m_c, gc, pixmap, 0, nullptr);
        putImage(gc, pixmap, picture, QPoint(0, 0));
        xcb_free_gc(m_c, gc);
        // A compositor paints the root from these properties, so the pixmap must stay alive.
        for (const char* name : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"})
            xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, m_root, atom(name), XCB_ATOM_PIXMAP, 32,
                                1, &pixmap);
        xcb_change_window_attributes(m_c, m_root, XCB_CW_BACK_PIXMAP, &pixmap);
        xcb_clear_area(m_c, 0, m_root, 0, 0, 0, 0);
        if (m_background != XCB_NONE)
            xcb_free_pixmap(m_c, m_background);
        m_background = pixmap;
        sync();
        QRegion covered;
        for (const WindowInfo& w : windows())
            covered += w.topLevel == w.id ? w.geometry : QRect();
        return waitUntil([&] {
            return pattern::compare(grab(picture.rect()), picture, QPoint(0, 0), covered).isEmpty();
        });
    }

    // Draws image at `at` of a drawable, in strips small enough for one request each.
    void putImage(xcb_gcontext_t gc, xcb_drawable_t target, const QImage& image, QPoint at)
    {
        const quint32 maxBytes = qMin(xcb_get_maximum_request_length(m_c) * 4u - 64u, 1u << 22);
        const int rows = qMax(1, int(maxBytes / quint32(image.bytesPerLine())));
        for (int row = 0; row < image.height(); row += rows) {
            const int n = qMin(rows, image.height() - row);
            xcb_put_image(m_c, XCB_IMAGE_FORMAT_Z_PIXMAP, target, gc, quint16(image.width()),
                          quint16(n), qint16(at.x()), qint16(at.y() + row), 0, 24,
                          quint32(image.bytesPerLine() * n), image.constScanLine(row));
        }
    }

    // A property of 32-bit values (atoms, cardinals).
    QList<quint32> property(xcb_window_t window, const char* name)
    {
        const QByteArray bytes = propertyBytes(
            xcb_get_property(m_c, 0, window, atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 64), 32);
        QList<quint32> values(bytes.size() / 4);
        std::memcpy(values.data(), bytes.constData(), size_t(values.size()) * 4);
        return values;
    }
    bool hasSelectionOwner(const char* selection)
    {
        const auto reply = owned(xcb_get_selection_owner_reply(
            m_c, xcb_get_selection_owner(m_c, atom(selection)), nullptr));
        return reply && reply->owner != XCB_NONE;
    }
    bool hasFocus(const WindowInfo& window)
    {
        const auto reply = owned(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
        return reply && (reply->focus == window.id || reply->focus == window.topLevel);
    }
    // Whether another client holds an active grab; a grab of the test's own is given back.
    bool grabbedElsewhere(bool keyboard)
    {
        constexpr auto async = XCB_GRAB_MODE_ASYNC;
        const unsigned request =
            keyboard ? xcb_grab_keyboard(m_c, 0, m_root, XCB_CURRENT_TIME, async, async).sequence
                     : xcb_grab_pointer(m_c, 0, m_root, 0, async, async, XCB_NONE, XCB_NONE,
                                        XCB_CURRENT_TIME)
                           .sequence;
        // Both replies are a status after the response type.
        const auto reply = owned(
            static_cast<xcb_grab_keyboard_reply_t*>(xcb_wait_for_reply(m_c, request, nullptr)));
        const quint8 status = reply ? reply->status : quint8(XCB_GRAB_STATUS_NOT_VIEWABLE);
        if (status == XCB_GRAB_STATUS_SUCCESS)
            keyboard ? xcb_ungrab_keyboard(m_c, XCB_CURRENT_TIME)
                     : xcb_ungrab_pointer(m_c, XCB_CURRENT_TIME);
        sync();
        return status == XCB_GRAB_STATUS_ALREADY_GRABBED;
    }

private:
    QByteArray propertyBytes(xcb_get_property_cookie_t cookie, int format)
    {
        const auto reply = owned(xcb_get_property_reply(m_c, cookie, nullptr));
        if (!reply || reply->format != format)
            return {};
        return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                          xcb_get_property_value_length(reply.get()));
    }

    xcb_connection_t* m_c = nullptr;
    xcb_window_t m_root = XCB_NONE;
    xcb_atom_t m_netWmName = XCB_ATOM_NONE;
    QSize m_rootSize;
    xcb_pixmap_t m_background = XCB_NONE;
};

} // namespace e2e
