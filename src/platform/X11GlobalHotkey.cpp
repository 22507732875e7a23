// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11GlobalHotkey.h"

#include "Logging.h"
#include "X11Connection.h"

#include <QCoreApplication>

namespace vellumbox {

namespace {

constexpr uint16_t numLockMask = XCB_MOD_MASK_2;
constexpr uint16_t lockVariants[] = {0, XCB_MOD_MASK_LOCK, numLockMask,
                                     XCB_MOD_MASK_LOCK | numLockMask};
constexpr uint16_t hotkeyModifiers = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT;
constexpr uint8_t badAccess = 10;

} // namespace

bool isControlShift(uint16_t state)
{
    constexpr uint16_t keyboardModifiers = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL |
                                           XCB_MOD_MASK_1 | XCB_MOD_MASK_3 | XCB_MOD_MASK_4 |
                                           XCB_MOD_MASK_5;
    return (state & keyboardModifiers) == hotkeyModifiers;
}

X11GlobalHotkey::X11GlobalHotkey() = default;

X11GlobalHotkey::~X11GlobalHotkey()
{
    unregisterHotkey();
}

bool X11GlobalHotkey::registerHotkey(char key, std::function<void()> onPressed)
{
    unregisterHotkey();
    xcb_connection_t* conn = x11::connection();
    const xcb_window_t root = x11::rootWindow();
    if (!conn || root == XCB_WINDOW_NONE) {
        lastError_ = QStringLiteral("there is no X11 display");
        return false;
    }
    key_ = key;
    if (!grab(conn, root))
        return false;
    const x11::Reply<xcb_query_extension_reply_t> xkb(
        xcb_query_extension_reply(conn, xcb_query_extension(conn, 9, "XKEYBOARD"), nullptr));
    xkbEvent_ = xkb && xkb->present ? xkb->first_event : 0;
    onPressed_ = std::move(onPressed);
    if (!filterInstalled_) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        filterInstalled_ = true;
    }
    lastError_.clear();
    return true;
}

bool X11GlobalHotkey::grab(xcb_connection_t* conn, xcb_window_t root)
{
    // Latin-1 keysyms equal their character codes.
    const QList<xcb_keycode_t> codes = x11::keycodesFor(conn, static_cast<xcb_keysym_t>(key_));
    if (codes.isEmpty()) {
        lastError_ = QStringLiteral("no key of the keyboard map produces \"%1\"").arg(key_);
        return false;
    }
    QList<xcb_void_cookie_t> cookies;
    for (const uint8_t code : codes) {
        for (const uint16_t variant : lockVariants) {
            cookies.append(xcb_grab_key_checked(conn, 1, root, hotkeyModifiers | variant, code,
                                                XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        }
    }
    uint8_t failure = 0;
    for (const xcb_void_cookie_t cookie : cookies) {
        const x11::Reply<xcb_generic_error_t> error(xcb_request_check(conn, cookie));
        if (error && failure == 0)
            failure = error->error_code;
    }
    keycodes_ = codes;
    if (failure != 0) {
        ungrab();
        lastError_ = failure == badAccess
                         ? QStringLiteral("it is held by another application (BadAccess)")
                         : QStringLiteral("the X server refused the grab (error %1)").arg(failure);
        return false;
    }
    return true;
}

void X11GlobalHotkey::ungrab()
{
    xcb_connection_t* conn = x11::connection();
    const xcb_window_t root = x11::rootWindow();
    if (conn && root != XCB_WINDOW_NONE) {
        for (const uint8_t code : std::as_const(keycodes_)) {
            for (const uint16_t variant : lockVariants)
                xcb_ungrab_key(conn, code, root, hotkeyModifiers | variant);
        }
        xcb_flush(conn);
    }
    keycodes_.clear();
}

void X11GlobalHotkey::unregisterHotkey()
{
    ungrab();
    onPressed_ = nullptr;
    if (filterInstalled_ && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    filterInstalled_ = false;
}

bool X11GlobalHotkey::isKeymapChange(const xcb_generic_event_t* event) const
{
    const uint8_t type = event->response_type & 0x7f;
    if (type == XCB_MAPPING_NOTIFY)
        return reinterpret_cast<const xcb_mapping_notify_event_t*>(event)->request ==
               XCB_MAPPING_KEYBOARD;
    // XKB's new-keyboard (0) and map (1) notifications; the second byte says which.
    constexpr uint8_t newKeyboard = 0;
    constexpr uint8_t map = 1;
    const uint8_t xkbType = event->pad0;
    return xkbEvent_ != 0 && type == xkbEvent_ && (xkbType == newKeyboard || xkbType == map);
}

bool X11GlobalHotkey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t" || !onPressed_)
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if (isKeymapChange(event)) {
        const QList<uint8_t> before = keycodes_;
        const QList<xcb_keycode_t> now =
            x11::keycodesFor(x11::connection(), static_cast<xcb_keysym_t>(key_));
        if (now != before) {
            ungrab();
            if (!grab(x11::connection(), x11::rootWindow()))
                qCWarning(lcHotkey).noquote()
                    << "The keyboard map changed and Ctrl+Shift+9 could not be registered again:"
                    << lastError_;
            else
                qCInfo(lcHotkey) << "The keyboard map changed: the hot key follows it";
        }
        return false;
    }
    const uint8_t type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto* key = static_cast<const xcb_key_press_event_t*>(message);
    if (key->event != x11::rootWindow() || !keycodes_.contains(key->detail) ||
        !isControlShift(key->state))
        return false;
    if (type == XCB_KEY_PRESS && onPressed_)
        onPressed_();
    return true;
}

} // namespace vellumbox
