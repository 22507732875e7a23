// SPDX-License-Identifier: GPL-3.0-or-later
// The whole program as a person meets it, timed from outside over the X protocol: start to
// ready, hot key to selection windows mapped and painted, a pointer move during the drag,
// release to the floating screenshot mapped and drawn, and resident memory idle and with 20
// floating screenshots. The first argument names the session's layout in the report.
#include "BenchStats.h"
#include "DesktopPicture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QRgb>
#include <QSize>
#include <QTemporaryDir>
#include <QThread>

#include <QScreen>

#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <poll.h>

#include <array>
#include <cstdlib>
#include <functional>
#include <optional>

using namespace vellumbox;

namespace {

struct X {
    xcb_connection_t* conn = xcb_connect(nullptr, nullptr);
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root;

    ~X() { xcb_disconnect(conn); }
    X() = default;
    X(const X&) = delete;
    X& operator=(const X&) = delete;

    void sync() { std::free(xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr)); }

    xcb_keycode_t keycode(xcb_keysym_t keysym)
    {
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(conn);
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
        const xcb_keycode_t code = codes ? codes[0] : 0;
        std::free(codes);
        xcb_key_symbols_free(symbols);
        return code;
    }
    void fake(uint8_t type, uint8_t detail, int16_t x = 0, int16_t y = 0)
    {
        xcb_test_fake_input(conn, type, detail, XCB_CURRENT_TIME,
                            type == XCB_MOTION_NOTIFY ? root : XCB_NONE, x, y, 0);
    }
    void chord(std::initializer_list<xcb_keysym_t> keys)
    {
        for (const xcb_keysym_t k : keys)
            fake(XCB_KEY_PRESS, keycode(k));
        for (auto it = std::rbegin(keys); it != std::rend(keys); ++it)
            fake(XCB_KEY_RELEASE, keycode(*it));
        xcb_flush(conn);
    }
    QRgb pixel(int x, int y)
    {
        auto* reply = xcb_get_image_reply(conn,
                                          xcb_get_image(conn, XCB_IMAGE_FORMAT_Z_PIXMAP, root,
                                                        static_cast<int16_t>(x),
                                                        static_cast<int16_t>(y), 1, 1, ~0U),
                                          nullptr);
        QRgb value = 0;
        if (reply && xcb_get_image_data_length(reply) >= 4)
            value = *reinterpret_cast<const QRgb*>(xcb_get_image_data(reply));
        std::free(reply);
        return value;
    }
    // Waits for map (or unmap) notifications until `count` matched, or the time runs out.
    bool waitForMaps(uint8_t type, int count, std::function<bool(xcb_generic_event_t*)> accept,
                     int timeoutMs = 3000)
    {
        QElapsedTimer timer;
        timer.start();
        int seen = 0;
        while (seen < count && timer.elapsed() < timeoutMs) {
            xcb_generic_event_t* event = xcb_poll_for_event(conn);
            if (!event) {
                pollfd fd{xcb_get_file_descriptor(conn), POLLIN, 0};
                poll(&fd, 1, 1);
                continue;
            }
            if ((event->response_type & 0x7f) == type && (!accept || accept(event)))
                ++seen;
            std::free(event);
        }
        return seen >= count;
    }
    void drain()
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(conn))
            std::free(event);
    }
};

// The tray icon: a small viewable window named "Vellumbox", embedded in the tray host; none
// while it is not shown.
xcb_window_t trayIcon(X& x, xcb_window_t window, xcb_atom_t wmName)
{
    auto* tree = xcb_query_tree_reply(x.conn, xcb_query_tree(x.conn, window), nullptr);
    if (!tree)
        return XCB_NONE;
    xcb_window_t found = XCB_NONE;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
        const xcb_window_t child = children[i];
        auto* name = xcb_get_property_reply(
            x.conn, xcb_get_property(x.conn, 0, child, wmName, XCB_ATOM_ANY, 0, 64), nullptr);
        auto* attributes = xcb_get_window_attributes_reply(
            x.conn, xcb_get_window_attributes(x.conn, child), nullptr);
        auto* geometry = xcb_get_geometry_reply(x.conn, xcb_get_geometry(x.conn, child), nullptr);
        if (name && attributes && geometry && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
            geometry->width <= 64 &&
            QByteArray(static_cast<const char*>(xcb_get_property_value(name)),
                       xcb_get_property_value_length(name)) == "Vellumbox")
            found = child;
        std::free(name);
        std::free(attributes);
        std::free(geometry);
        if (!found)
            found = trayIcon(x, child, wmName);
    }
    std::free(tree);
    return found;
}

constexpr xcb_keysym_t XK_9 = 0x39;
constexpr xcb_keysym_t XK_Control_L = 0xffe3;
constexpr xcb_keysym_t XK_Shift_L = 0xffe1;
constexpr xcb_keysym_t XK_Escape = 0xff1b;

void setRootBackground(X& x, const QImage& picture)
{
    const xcb_pixmap_t pixmap = xcb_generate_id(x.conn);
    xcb_create_pixmap(x.conn, 24, pixmap, x.root, static_cast<uint16_t>(picture.width()),
                      static_cast<uint16_t>(picture.height()));
    const xcb_gcontext_t gc = xcb_generate_id(x.conn);
    xcb_create_gc(x.conn, gc, pixmap, 0, nullptr);
    for (int y = 0; y < picture.height(); y += 32) {
        const int rows = std::min(32, picture.height() - y);
        xcb_put_image(
            x.conn, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, static_cast<uint16_t>(picture.width()),
            static_cast<uint16_t>(rows), 0, static_cast<int16_t>(y), 0, 24,
            static_cast<uint32_t>(picture.bytesPerLine() * rows), picture.constScanLine(y));
    }
    // A compositor paints the root from these properties.
    for (const char* name : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"}) {
        auto* atom = xcb_intern_atom_reply(
            x.conn, xcb_intern_atom(x.conn, 0, static_cast<uint16_t>(qstrlen(name)), name),
            nullptr);
        if (atom)
            xcb_change_property(x.conn, XCB_PROP_MODE_REPLACE, x.root, atom->atom, XCB_ATOM_PIXMAP,
                                32, 1, &pixmap);
        std::free(atom);
    }
    xcb_change_window_attributes(x.conn, x.root, XCB_CW_BACK_PIXMAP, &pixmap);
    xcb_clear_area(x.conn, 0, x.root, 0, 0, 0, 0);
    x.sync();
    // Until the compositor shows it.
    QThread::msleep(500);
}

double kilobytes(qint64 pid, const char* field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(static_cast<qsizetype>(qstrlen(field)))
                .trimmed()
                .split(' ')
                .first()
                .toDouble();
    }
    return 0;
}

bool isOverrideRedirectMap(xcb_generic_event_t* event)
{
    return reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect != 0;
}

bool isManagedMap(xcb_generic_event_t* event)
{
    return !isOverrideRedirectMap(event);
}

// Black at alpha 0.3 over the screen leaves 70 % of each channel.
bool isDimmed(QRgb shown, QRgb screen)
{
    const auto near = [](int a, int b) { return std::abs(a - b * 7 / 10) <= 3; };
    return near(qRed(shown), qRed(screen)) && near(qGreen(shown), qGreen(screen)) &&
           near(qBlue(shown), qBlue(screen));
}

bool sameColour(QRgb shown, QRgb screen)
{
    const auto near = [](int a, int b) { return std::abs(a - b) <= 3; };
    return near(qRed(shown), qRed(screen)) && near(qGreen(shown), qGreen(screen)) &&
           near(qBlue(shown), qBlue(screen));
}

double msSince(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// From a mouse release to the floating screenshot's window mapped, and to the first drawing
// into it that another client sees (a DAMAGE report on the windows created meanwhile).
std::optional<std::pair<double, double>> releaseToScreenshot(X& x, uint8_t damageEvent)
{
    QElapsedTimer timer;
    timer.start();
    x.fake(XCB_BUTTON_RELEASE, 1);
    xcb_flush(x.conn);
    std::optional<double> mapped;
    std::optional<double> drawn;
    QList<xcb_damage_damage_t> watched;
    while (!(mapped && drawn) && timer.elapsed() < 3000) {
        xcb_generic_event_t* event = xcb_poll_for_event(x.conn);
        if (!event) {
            pollfd fd{xcb_get_file_descriptor(x.conn), POLLIN, 0};
            poll(&fd, 1, 1);
            continue;
        }
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY &&
            reinterpret_cast<xcb_create_notify_event_t*>(event)->override_redirect == 0) {
            watched.append(xcb_generate_id(x.conn));
            xcb_damage_create(x.conn, watched.last(),
                              reinterpret_cast<xcb_create_notify_event_t*>(event)->window,
                              XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
            xcb_flush(x.conn);
        } else if (type == XCB_MAP_NOTIFY && !mapped && isManagedMap(event)) {
            mapped = msSince(timer);
        } else if (type == damageEvent && !drawn) {
            drawn = msSince(timer);
        }
        std::free(event);
    }
    for (const xcb_damage_damage_t damage : watched)
        xcb_damage_destroy(x.conn, damage);
    x.sync();
    if (!mapped || !drawn)
        return std::nullopt;
    return std::pair(*mapped, *drawn);
}

// With a compositor, the share of the first paint that is the compositor's own: a bare
// translucent window of the root's size, already dimmed, from its map to the dimming shown.
std::optional<double> compositorFrame(X& x, const std::function<bool()>& allDimmed)
{
    auto* atom =
        xcb_intern_atom_reply(x.conn, xcb_intern_atom(x.conn, 0, 13, "_NET_WM_CM_S0"), nullptr);
    auto* owner = atom ? xcb_get_selection_owner_reply(
                             x.conn, xcb_get_selection_owner(x.conn, atom->atom), nullptr)
                       : nullptr;
    const bool composited = owner && owner->owner != XCB_NONE;
    std::free(atom);
    std::free(owner);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x.conn)).data;
    xcb_visualid_t visual = XCB_NONE;
    for (auto depth = xcb_screen_allowed_depths_iterator(screen); depth.rem && !visual;
         xcb_depth_next(&depth)) {
        if (depth.data->depth == 32 && depth.data->visuals_len > 0)
            visual = xcb_depth_visuals_iterator(depth.data).data->visual_id;
    }
    if (!composited || visual == XCB_NONE)
        return std::nullopt;
    const xcb_colormap_t colormap = xcb_generate_id(x.conn);
    xcb_create_colormap(x.conn, XCB_COLORMAP_ALLOC_NONE, colormap, x.root, visual);
    const xcb_window_t window = xcb_generate_id(x.conn);
    // Black at alpha 0.3, premultiplied: the selection's dimming.
    const std::array<uint32_t, 4> values{0x4c000000, 0, 1, colormap};
    xcb_create_window(x.conn, 32, window, x.root, 0, 0, screen->width_in_pixels,
                      screen->height_in_pixels, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT |
                          XCB_CW_COLORMAP,
                      values.data());
    x.sync();
    QElapsedTimer timer;
    timer.start();
    xcb_map_window(x.conn, window);
    xcb_flush(x.conn);
    while (!allDimmed() && timer.elapsed() < 3000) {
    }
    const double shown = msSince(timer);
    xcb_destroy_window(x.conn, window);
    xcb_free_colormap(x.conn, colormap);
    x.sync();
    QThread::msleep(200);
    return shown;
}

// From a left click at the tray icon's centre (or the hot key) to every selection window
// mapped, and to every screen shown dimmed; the selection is then cancelled.
std::optional<std::pair<double, double>> timeToSelection(X& x, xcb_window_t icon, int screens,
                                                         const std::function<bool()>& allDimmed)
{
    if (icon != XCB_NONE) {
        auto* at = xcb_translate_coordinates_reply(
            x.conn, xcb_translate_coordinates(x.conn, icon, x.root, 4, 4), nullptr);
        if (!at)
            return std::nullopt;
        x.fake(XCB_MOTION_NOTIFY, 0, at->dst_x, at->dst_y);
        std::free(at);
        x.sync();
    }
    x.drain();
    QElapsedTimer timer;
    timer.start();
    if (icon != XCB_NONE) {
        x.fake(XCB_BUTTON_PRESS, 1);
        x.fake(XCB_BUTTON_RELEASE, 1);
        xcb_flush(x.conn);
    } else {
        x.chord({XK_Control_L, XK_Shift_L, XK_9});
    }
    if (!x.waitForMaps(XCB_MAP_NOTIFY, screens, isOverrideRedirectMap))
        return std::nullopt;
    const double mapped = msSince(timer);
    while (!allDimmed() && timer.elapsed() < 3000) {
    }
    const double painted = msSince(timer);
    x.chord({XK_Escape});
    x.waitForMaps(XCB_UNMAP_NOTIFY, screens, nullptr);
    return std::pair(mapped, painted);
}

struct App {
    QProcess process;
    QByteArray log;

    xcb_atom_t wmName = XCB_ATOM_WM_NAME;

    // Times to the hot key grabbed and, with a tray host watched through `x`, the icon shown.
    bool start(double* readyMs, X* x = nullptr, double* iconMs = nullptr)
    {
        if (x) {
            // Qt names the icon window only through the EWMH property.
            auto* atom = xcb_intern_atom_reply(
                x->conn, xcb_intern_atom(x->conn, 0, 12, "_NET_WM_NAME"), nullptr);
            if (atom)
                wmName = atom->atom;
            std::free(atom);
        }
        QElapsedTimer timer;
        timer.start();
        process.setProgram(QStringLiteral(VELLUMBOX_BINARY));
        process.setReadChannel(QProcess::StandardError);
        process.start();
        bool ready = false;
        bool icon = x == nullptr;
        while (timer.elapsed() < 10000 && !(ready && icon)) {
            process.waitForReadyRead(2);
            log += process.readAllStandardError();
            if (!ready && log.contains("Hot key Ctrl+Shift+9 registered")) {
                *readyMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
                ready = true;
            }
            if (!icon && trayIcon(*x, x->root, wmName) != XCB_NONE) {
                *iconMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
                icon = true;
            }
        }
        return ready && icon;
    }
    ~App()
    {
        process.kill();
        process.waitForFinished();
    }
};

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    // Past the first run, so that no first-run window covers what is measured.
    QDir().mkpath(config.path() + QStringLiteral("/Vellumbox"));
    QFile settings(config.path() + QStringLiteral("/Vellumbox/Vellumbox.conf"));
    if (!settings.open(QIODevice::WriteOnly) ||
        settings.write("[General]\nhasCompletedOnboarding=true\nhasShownLoginItemPrompt=true\n") <
            0)
        return 1;
    settings.close();
    X x;
    const xcb_setup_t* setup = xcb_get_setup(x.conn);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
    const QImage desktop =
        bench::desktopPicture({screen->width_in_pixels, screen->height_in_pixels});
    setRootBackground(x, desktop);
    std::free(xcb_damage_query_version_reply(
        x.conn,
        xcb_damage_query_version(x.conn, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
        nullptr));
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(x.conn, &xcb_damage_id);
    if (!damage || !damage->present) {
        std::fprintf(stderr, "the X server has no DAMAGE\n");
        return 1;
    }
    const auto damageEvent = static_cast<uint8_t>(damage->first_event + XCB_DAMAGE_NOTIFY);
    // One point on each screen: a screen's native top-left is its logical one.
    QList<QPoint> samples;
    QList<QRgb> shownThere;
    for (const QScreen* s : QGuiApplication::screens()) {
        samples.append(s->geometry().topLeft() + QPoint(100, 100));
        shownThere.append(x.pixel(samples.last().x(), samples.last().y()));
    }
    const auto screens = static_cast<int>(samples.size());
    const std::function<bool()> allDimmed = [&] {
        for (qsizetype i = 0; i < samples.size(); ++i) {
            if (!isDimmed(x.pixel(samples[i].x(), samples[i].y()), shownThere[i]))
                return false;
        }
        return true;
    };
    std::printf("== %s: %d screens, %dx%d root\n", argc > 1 ? argv[1] : "this session", screens,
                screen->width_in_pixels, screen->height_in_pixels);
    const uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x.conn, x.root, XCB_CW_EVENT_MASK, &events);
    x.sync();

    QList<double> startToReady;
    QList<double> startToIcon;
    // The first selection of a run, from the tray icon or the hot key.
    QList<double> clicked;
    QList<double> keyed;
    QList<double> firstPainted;
    for (int i = 0; i < 10; ++i) {
        App launch;
        double ms = 0;
        double iconMs = 0;
        if (launch.start(&ms, &x, &iconMs)) {
            startToReady.append(ms);
            startToIcon.append(iconMs);
            // One selection a launch, by turns: a second one soon after is not comparable.
            QThread::msleep(300);
            const xcb_window_t icon = i % 2 == 0 ? trayIcon(x, x.root, launch.wmName) : XCB_NONE;
            if (const auto selected = timeToSelection(x, icon, screens, allDimmed)) {
                (icon != XCB_NONE ? clicked : keyed).append(selected->first);
                if (icon == XCB_NONE)
                    firstPainted.append(selected->second);
            }
        }
        // The next launch must not find this one on the session bus.
        launch.process.terminate();
        launch.process.waitForFinished();
    }
    bench::report(QStringLiteral("start to ready (hot key grabbed)"), startToReady);
    bench::report(QStringLiteral("start to tray icon shown"), startToIcon);

    App vellumbox;
    double ignored = 0;
    double iconIgnored = 0;
    if (!vellumbox.start(&ignored, &x, &iconIgnored)) {
        std::fprintf(stderr, "vellumbox did not start\n");
        return 1;
    }
    QThread::msleep(1000);
    const qint64 pid = vellumbox.process.processId();
    const double idleRss = kilobytes(pid, "VmRSS:");
    bench::reportValue(QStringLiteral("resident memory, idle"), idleRss / 1024.0,
                       QStringLiteral("MB"));
    std::printf("  (anonymous %.1f MB, shared %.1f MB)\n", kilobytes(pid, "RssAnon:") / 1024.0,
                kilobytes(pid, "RssShmem:") / 1024.0);

    QList<double> mapped;
    QList<double> painted;
    const auto startSelection = [&](QList<double>* mapTimes, QList<double>* paintTimes) {
        x.drain();
        QElapsedTimer timer;
        timer.start();
        x.chord({XK_Control_L, XK_Shift_L, XK_9});
        if (!x.waitForMaps(XCB_MAP_NOTIFY, screens, isOverrideRedirectMap))
            return false;
        if (mapTimes)
            mapTimes->append(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        while (!allDimmed() && timer.elapsed() < 3000) {
        }
        if (paintTimes)
            paintTimes->append(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        return true;
    };
    for (int i = 0; i < 15; ++i) {
        if (!startSelection(&mapped, &painted)) {
            vellumbox.log += vellumbox.process.readAllStandardError();
            std::fprintf(stderr, "selection %d did not open; the program said:\n%s\n", i,
                         vellumbox.log.constData());
            break;
        }
        x.chord({XK_Escape});
        x.waitForMaps(XCB_UNMAP_NOTIFY, screens, nullptr);
        QThread::msleep(100);
    }
    bench::report(QStringLiteral("hot key to every selection window mapped"), mapped);
    bench::report(QStringLiteral("hot key to every selection window painted"), painted);

    bench::report(QStringLiteral("first selection: tray icon click to windows mapped"), clicked);
    bench::report(QStringLiteral("first selection: hot key to windows mapped"), keyed);
    bench::report(QStringLiteral("first selection: hot key to windows painted"), firstPainted);
    QList<double> frames;
    for (int i = 0; i < 15; ++i) {
        if (const auto frame = compositorFrame(x, allDimmed))
            frames.append(*frame);
    }
    if (!frames.isEmpty())
        bench::report(QStringLiteral("the compositor alone: bare dimmed window mapped to shown"),
                      frames);

    // One-time costs of the first selection (painter, shared segments released by now)
    // belong to neither figure: the screenshots are measured from here.
    QThread::msleep(4000);
    const double beforePanels = kilobytes(pid, "VmRSS:");
    constexpr int panels = 20;
    constexpr QSize panelSize(400, 300);
    QList<double> pointerMove;
    QList<double> releaseToPanel;
    QList<double> releaseToDrawn;
    for (int i = 0; i < panels; ++i) {
        if (!startSelection(nullptr, nullptr))
            break;
        const auto left = static_cast<int16_t>(40 + (i % 5) * 300);
        const auto top = static_cast<int16_t>(40 + (i / 5) * 200);
        const auto at = [left, top](int dx, int dy) { return QPoint(left + dx, top + dy); };
        const auto move = [&x](const QPoint& to) {
            x.fake(XCB_MOTION_NOTIFY, 0, static_cast<int16_t>(to.x()),
                   static_cast<int16_t>(to.y()));
            xcb_flush(x.conn);
        };
        const auto shows = [&](const QPoint& p, const QElapsedTimer& since) {
            while (!sameColour(x.pixel(p.x(), p.y()), desktop.pixel(p)) && since.elapsed() < 1000) {
            }
            return since.elapsed() < 1000;
        };
        move(at(0, 0));
        x.fake(XCB_BUTTON_PRESS, 1);
        move(at(200, 150));
        QElapsedTimer timer;
        timer.start();
        shows(at(190, 140), timer);
        // The pointer move: until the corner it uncovers shows the screen as it is.
        timer.start();
        move(at(panelSize.width(), panelSize.height()));
        if (shows(at(panelSize.width() - 10, panelSize.height() - 10), timer))
            pointerMove.append(msSince(timer));
        x.sync();
        x.drain();
        if (const auto times = releaseToScreenshot(x, damageEvent)) {
            releaseToPanel.append(times->first - 150.0);
            releaseToDrawn.append(times->second - 150.0);
        }
        QThread::msleep(300);
    }
    bench::report(QStringLiteral("pointer move during the drag to its bands shown"), pointerMove);
    bench::report(QStringLiteral("mouse release to screenshot drawn, minus 150 ms"),
                  releaseToDrawn);
    bench::report(QStringLiteral("mouse release to screenshot mapped, minus 150 ms"),
                  releaseToPanel);
    // Past the capture's idle release of its shared segments: the steady state.
    QThread::msleep(4000);
    const double fullRss = kilobytes(pid, "VmRSS:");
    std::printf("  (anonymous %.1f MB, shared %.1f MB)\n", kilobytes(pid, "RssAnon:") / 1024.0,
                kilobytes(pid, "RssShmem:") / 1024.0);
    const double pixelBytes = panelSize.width() * panelSize.height() * 4.0;
    bench::reportValue(
        QStringLiteral("resident memory, %1 floating screenshots").arg(releaseToPanel.size()),
        fullRss / 1024.0, QStringLiteral("MB"));
    if (!releaseToPanel.isEmpty())
        bench::reportValue(QStringLiteral("memory per screenshot / its pixel bytes"),
                           (fullRss - beforePanels) * 1024.0 /
                               static_cast<double>(releaseToPanel.size()) / pixelBytes,
                           QStringLiteral("x"));
    return 0;
}
