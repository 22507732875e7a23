// SPDX-License-Identifier: GPL-3.0-or-later
#include "XHarness.h"

#include "TestPattern.h"

#include <QDeadlineTimer>
#include <QTest>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace e2e {

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

QByteArray propertyBytes(xcb_connection_t* c, xcb_get_property_cookie_t cookie, int format)
{
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(c, cookie, nullptr));
    if (!reply || reply->format != format)
        return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}

} // namespace

bool waitUntil(const std::function<bool()>& cond, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!cond()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(20);
    }
    return true;
}

XHarness::XHarness()
{
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return;
    }
    m_c = c;
    auto it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&it);
    m_root = it.data->root;
    m_rootSize = QSize(it.data->width_in_pixels, it.data->height_in_pixels);
}

XHarness::~XHarness()
{
    if (!m_c)
        return;
    if (m_background != XCB_NONE)
        xcb_free_pixmap(m_c, m_background);
    xcb_disconnect(m_c);
}

xcb_atom_t XHarness::atom(const char* name)
{
    auto cookie = xcb_intern_atom(m_c, 0, quint16(std::strlen(name)), name);
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(m_c, cookie, nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// A round trip: once it returns, the server has carried out every request sent before.
void XHarness::sync()
{
    std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
}

QList<WindowInfo> XHarness::windows()
{
    // The tree, one level at a time, with all requests of a level in flight together.
    QList<WindowInfo> all;
    WindowInfo root;
    root.id = m_root;
    QList<WindowInfo> level{root};
    while (m_c && !level.isEmpty()) {
        std::vector<xcb_query_tree_cookie_t> cookies;
        for (const WindowInfo& w : level)
            cookies.push_back(xcb_query_tree(m_c, w.id));
        QList<WindowInfo> next;
        for (qsizetype i = 0; i < level.size(); ++i) {
            Reply<xcb_query_tree_reply_t> reply(
                xcb_query_tree_reply(m_c, cookies[size_t(i)], nullptr));
            if (!reply)
                continue;
            const xcb_window_t* children = xcb_query_tree_children(reply.get());
            const bool underRoot = level[i].id == m_root;
            for (int j = 0; j < xcb_query_tree_children_length(reply.get()); ++j) {
                WindowInfo child;
                child.id = children[j];
                child.topLevel = underRoot ? children[j] : level[i].topLevel;
                child.stackIndex = underRoot ? j : level[i].stackIndex;
                next.append(child);
            }
        }
        all += next;
        level = next;
    }

    const xcb_atom_t netWmName = atom("_NET_WM_NAME");
    struct Cookies {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t position;
        xcb_get_property_cookie_t netName, name;
    };
    std::vector<Cookies> cookies;
    for (const WindowInfo& w : all) {
        cookies.push_back(
            {xcb_get_window_attributes(m_c, w.id), xcb_get_geometry(m_c, w.id),
             xcb_translate_coordinates(m_c, w.id, m_root, 0, 0),
             xcb_get_property(m_c, 0, w.id, netWmName, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
             xcb_get_property(m_c, 0, w.id, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256)});
    }
    QList<WindowInfo> result;
    for (qsizetype i = 0; i < all.size(); ++i) {
        WindowInfo w = all[i];
        const Cookies& c = cookies[size_t(i)];
        Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(m_c, c.attributes, nullptr));
        Reply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(m_c, c.geometry, nullptr));
        Reply<xcb_translate_coordinates_reply_t> position(
            xcb_translate_coordinates_reply(m_c, c.position, nullptr));
        // Not every window has both; Qt's tray icon has only the first.
        const QByteArray netName = propertyBytes(m_c, c.netName, 8);
        const QByteArray name = propertyBytes(m_c, c.name, 8);
        w.name = QString::fromUtf8(netName.isEmpty() ? name : netName);
        // Gone while being read, or not shown: left out.
        if (!attributes || !geometry || !position ||
            attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        w.overrideRedirect = attributes->override_redirect != 0;
        w.geometry = QRect(position->dst_x, position->dst_y, geometry->width, geometry->height);
        result.append(w);
    }
    return result;
}

QList<WindowInfo> XHarness::windowsNamed(const QString& name)
{
    QList<WindowInfo> result = windows();
    result.removeIf([&](const WindowInfo& w) { return w.name != name; });
    return result;
}

std::optional<WindowInfo> XHarness::window(xcb_window_t id)
{
    const QList<WindowInfo> all = windows();
    const auto it = std::find_if(all.cbegin(), all.cend(), [&](auto& w) { return w.id == id; });
    return it == all.cend() ? std::nullopt : std::optional<WindowInfo>(*it);
}

bool XHarness::waitForWindows(const QString& name, int count, QList<WindowInfo>* found)
{
    QList<WindowInfo> last;
    const bool ok = waitUntil([&] {
        last = windowsNamed(name);
        return last.size() == count;
    });
    if (found)
        *found = last;
    return ok;
}

QImage XHarness::grab(const QRect& rootRect)
{
    if (!m_c || rootRect.isEmpty())
        return {};
    auto cookie = xcb_get_image(m_c, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, qint16(rootRect.x()),
                                qint16(rootRect.y()), quint16(rootRect.width()),
                                quint16(rootRect.height()), ~0u);
    Reply<xcb_get_image_reply_t> reply(xcb_get_image_reply(m_c, cookie, nullptr));
    // Depth 24 in 32-bit words without padding is all the session's server gives.
    const qsizetype bytes = qsizetype(rootRect.width()) * rootRect.height() * 4;
    if (!reply || reply->depth != 24 || xcb_get_image_data_length(reply.get()) != bytes)
        return {};
    QImage image(rootRect.size(), QImage::Format_RGB32);
    std::memcpy(image.bits(), xcb_get_image_data(reply.get()), size_t(bytes));
    return image;
}

bool XHarness::setBackground(const QImage& image)
{
    if (!m_c || image.size() != m_rootSize)
        return false;
    const QImage picture = image.convertToFormat(QImage::Format_RGB32);
    const xcb_pixmap_t pixmap = xcb_generate_id(m_c);
    xcb_create_pixmap(m_c, 24, pixmap, m_root, quint16(m_rootSize.width()),
                      quint16(m_rootSize.height()));
    const xcb_gcontext_t gc = xcb_generate_id(m_c);
    xcb_create_gc(m_c, gc, pixmap, 0, nullptr);
    // Strips small enough for one request even without BIG-REQUESTS.
    const quint32 maxBytes = qMin(xcb_get_maximum_request_length(m_c) * 4u - 64u, 1u << 22);
    const int rows = qMax(1, int(maxBytes / quint32(picture.bytesPerLine())));
    for (int row = 0; row < picture.height(); row += rows) {
        const int n = qMin(rows, picture.height() - row);
        xcb_put_image(m_c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, quint16(picture.width()),
                      quint16(n), 0, qint16(row), 0, 24, quint32(picture.bytesPerLine() * n),
                      picture.constScanLine(row));
    }
    xcb_free_gc(m_c, gc);
    // A compositor paints the root from these properties, so the pixmap must stay alive.
    for (const char* name : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"})
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, m_root, atom(name), XCB_ATOM_PIXMAP, 32, 1,
                            &pixmap);
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

QList<quint32> XHarness::property(xcb_window_t window, const char* name)
{
    auto cookie = xcb_get_property(m_c, 0, window, atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 64);
    const QByteArray bytes = propertyBytes(m_c, cookie, 32);
    QList<quint32> values(bytes.size() / 4);
    std::memcpy(values.data(), bytes.constData(), size_t(values.size()) * 4);
    return values;
}

bool XHarness::hasSelectionOwner(const char* selection)
{
    auto cookie = xcb_get_selection_owner(m_c, atom(selection));
    Reply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(m_c, cookie, nullptr));
    return reply && reply->owner != XCB_NONE;
}

bool XHarness::hasFocus(const WindowInfo& window)
{
    Reply<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
    return reply && (reply->focus == window.id || reply->focus == window.topLevel);
}

bool XHarness::grabbedElsewhere(bool keyboard)
{
    constexpr auto async = XCB_GRAB_MODE_ASYNC;
    const auto status = [](auto* reply) {
        const Reply<std::remove_pointer_t<decltype(reply)>> owned(reply);
        return owned ? owned->status : quint8(XCB_GRAB_STATUS_NOT_VIEWABLE);
    };
    const quint8 result =
        keyboard
            ? status(xcb_grab_keyboard_reply(
                  m_c, xcb_grab_keyboard(m_c, 0, m_root, XCB_CURRENT_TIME, async, async), nullptr))
            : status(xcb_grab_pointer_reply(m_c,
                                            xcb_grab_pointer(m_c, 0, m_root, 0, async, async,
                                                             XCB_NONE, XCB_NONE, XCB_CURRENT_TIME),
                                            nullptr));
    if (result == XCB_GRAB_STATUS_SUCCESS)
        keyboard ? xcb_ungrab_keyboard(m_c, XCB_CURRENT_TIME)
                 : xcb_ungrab_pointer(m_c, XCB_CURRENT_TIME);
    sync();
    return result == XCB_GRAB_STATUS_ALREADY_GRABBED;
}

} // namespace e2e
