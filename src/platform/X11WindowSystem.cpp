// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11WindowSystem.h"

#include "Logging.h"
#include "X11Connection.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTimer>

#include <array>

namespace vellumbox {

namespace {

constexpr uint32_t allDesktops = 0xFFFFFFFF;
// The window may not be viewable yet right after show(): try again for about half a second.
constexpr int grabRetryIntervalMs = 10;
constexpr int maximumGrabAttempts = 50;

int defaultScreenNumber()
{
    const QByteArray display = qgetenv("DISPLAY");
    const qsizetype dot = display.lastIndexOf('.');
    const qsizetype colon = display.lastIndexOf(':');
    return dot > colon ? display.mid(dot + 1).toInt() : 0;
}

// Takes the compositor's keyboard focus for XWayland. Qt hands every key to the window with the
// focus, whichever window the grab sent it to: they go on to the grabbing window.
class FocusProxy final : public QWindow {
public:
    explicit FocusProxy(QWindow* target)
        : target_(target)
    {}

protected:
    void keyPressEvent(QKeyEvent* event) override { forward(event); }
    void keyReleaseEvent(QKeyEvent* event) override { forward(event); }

private:
    void forward(QKeyEvent* event)
    {
        if (target_)
            QCoreApplication::sendEvent(target_, event);
    }
    QPointer<QWindow> target_;
};

// The name the running window manager gives itself, empty without one.
QByteArray windowManagerName()
{
    xcb_connection_t* conn = x11::connection();
    const auto property = [conn](xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
        return x11::Reply<xcb_get_property_reply_t>(xcb_get_property_reply(
            conn, xcb_get_property(conn, 0, window, name, type, 0, 64), nullptr));
    };
    const auto check =
        property(x11::rootWindow(), x11::atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
    if (!check || xcb_get_property_value_length(check.get()) != sizeof(xcb_window_t))
        return {};
    const xcb_window_t manager = *static_cast<xcb_window_t*>(xcb_get_property_value(check.get()));
    const auto name = property(manager, x11::atom("_NET_WM_NAME"), x11::atom("UTF8_STRING"));
    if (!name)
        return {};
    return {static_cast<const char*>(xcb_get_property_value(name.get())),
            xcb_get_property_value_length(name.get())};
}

} // namespace

bool X11WindowSystem::compositingActive() const
{
    xcb_connection_t* conn = x11::connection();
    if (!conn)
        return false;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(defaultScreenNumber());
    const xcb_atom_t selection = x11::atom(name.constData());
    if (selection == XCB_ATOM_NONE)
        return false;
    const x11::Reply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(conn, xcb_get_selection_owner(conn, selection), nullptr));
    return reply && reply->owner != XCB_WINDOW_NONE;
}

void X11WindowSystem::makeSticky(QWindow* window)
{
    xcb_connection_t* conn = x11::connection();
    if (!conn || !window)
        return;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_atom_t desktop = x11::atom("_NET_WM_DESKTOP");
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, id, desktop, XCB_ATOM_CARDINAL, 32, 1,
                        &allDesktops);
    // A mapped window belongs to the window manager, which must be asked.
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = desktop;
    message.data.data32[0] = allDesktops;
    message.data.data32[1] = 2; // source indication: pager-like, honoured by every manager
    xcb_send_event(conn, 0, x11::rootWindow(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(conn);
}

bool X11WindowSystem::floatAboveFullScreen(QWindow* window)
{
    xcb_connection_t* conn = x11::connection();
    if (!conn || !window || windowManagerName() != "KWin")
        return false;
    // The first type the manager knows is the one it uses: others see a utility window.
    const std::array<xcb_atom_t, 2> types{
        x11::atom("_KDE_NET_WM_WINDOW_TYPE_CRITICAL_NOTIFICATION"),
        x11::atom("_NET_WM_WINDOW_TYPE_UTILITY")};
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()),
                        x11::atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, types.size(),
                        types.data());
    xcb_flush(conn);
    return true;
}

X11WindowSystem::~X11WindowSystem() = default;

bool X11WindowSystem::grabInput(QWindow* window)
{
    releaseInput();
    grabWindow_ = window;
    grabAttempts_ = 0;
    if (needsFocusProxy_ && window) {
        // The compositor feeds XWayland keys only while one of its windows has the focus, which
        // it gives a newly mapped managed window: a pixel under the grabbing window, which
        // covers it. The X grab then brings every key to the grabbing window.
        focusProxy_ = std::make_unique<FocusProxy>(window);
        focusProxy_->setFlags(Qt::Window | Qt::FramelessWindowHint);
        focusProxy_->setTitle(QStringLiteral("Vellumbox Keyboard"));
        focusProxy_->setGeometry(QRect(window->geometry().center(), QSize(1, 1)));
        focusProxy_->show();
        focusProxy_->requestActivate();
    }
    if (tryGrab(window))
        return true;
    QTimer::singleShot(grabRetryIntervalMs, this, &X11WindowSystem::retryGrab);
    return false;
}

void X11WindowSystem::retryGrab()
{
    if (!grabWindow_ || grabbed_)
        return;
    if (tryGrab(grabWindow_))
        return;
    if (++grabAttempts_ >= maximumGrabAttempts) {
        qCWarning(lcScreenCapture) << "Could not grab the keyboard and pointer for the selection";
        return;
    }
    QTimer::singleShot(grabRetryIntervalMs, this, &X11WindowSystem::retryGrab);
}

bool X11WindowSystem::tryGrab(QWindow* window)
{
    xcb_connection_t* conn = x11::connection();
    if (!conn || !window)
        return false;
    const auto id = static_cast<xcb_window_t>(window->winId());
    constexpr uint16_t pointerEvents =
        XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION;
    const x11::Reply<xcb_grab_pointer_reply_t> pointer(xcb_grab_pointer_reply(
        conn,
        xcb_grab_pointer(conn, 1, id, pointerEvents, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC,
                         XCB_WINDOW_NONE, XCB_CURSOR_NONE, XCB_CURRENT_TIME),
        nullptr));
    const x11::Reply<xcb_grab_keyboard_reply_t> keyboard(xcb_grab_keyboard_reply(
        conn,
        xcb_grab_keyboard(conn, 1, id, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
        nullptr));
    grabbed_ = pointer && pointer->status == XCB_GRAB_STATUS_SUCCESS && keyboard &&
               keyboard->status == XCB_GRAB_STATUS_SUCCESS;
    if (!grabbed_) {
        xcb_ungrab_pointer(conn, XCB_CURRENT_TIME);
        xcb_ungrab_keyboard(conn, XCB_CURRENT_TIME);
        xcb_flush(conn);
    }
    return grabbed_;
}

void X11WindowSystem::releaseInput()
{
    grabWindow_.clear();
    focusProxy_.reset();
    if (!grabbed_)
        return;
    grabbed_ = false;
    if (xcb_connection_t* conn = x11::connection()) {
        xcb_ungrab_pointer(conn, XCB_CURRENT_TIME);
        xcb_ungrab_keyboard(conn, XCB_CURRENT_TIME);
        xcb_flush(conn);
    }
}

} // namespace vellumbox
