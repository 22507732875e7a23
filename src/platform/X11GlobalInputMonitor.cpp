// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11GlobalInputMonitor.h"

#include "Logging.h"
#include "X11Connection.h"

#include <QCoreApplication>

#include <xcb/xinput.h>

namespace vellumbox {

namespace {

constexpr xcb_keysym_t escapeKeysym = 0xff1b;

struct RawEventMask {
    xcb_input_event_mask_t header;
    uint32_t bits;
};

} // namespace

X11GlobalInputMonitor::~X11GlobalInputMonitor()
{
    if (!handlers_.empty())
        select(false);
}

int X11GlobalInputMonitor::subscribe(std::function<void(GlobalInput)> handler)
{
    if (handlers_.empty() && !select(true))
        return -1;
    const int id = nextId_++;
    handlers_.emplace(id, std::move(handler));
    return id;
}

void X11GlobalInputMonitor::unsubscribe(int id)
{
    if (handlers_.erase(id) > 0 && handlers_.empty())
        select(false);
}

bool X11GlobalInputMonitor::select(bool enable)
{
    xcb_connection_t* conn = x11::connection();
    const xcb_window_t root = x11::rootWindow();
    if (!conn || root == XCB_WINDOW_NONE)
        return false;
    const xcb_query_extension_reply_t* xinput = xcb_get_extension_data(conn, &xcb_input_id);
    if (!xinput || !xinput->present) {
        qCWarning(lcOverlay) << "The X server has no XInput extension: other applications' "
                                "input cannot be watched";
        return false;
    }
    opcode_ = xinput->major_opcode;
    RawEventMask mask{};
    mask.header.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    mask.header.mask_len = 1;
    mask.bits =
        enable ? (XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS |
                  XCB_INPUT_XI_EVENT_MASK_RAW_MOTION)
               : 0;
    const x11::Reply<xcb_generic_error_t> error(
        xcb_request_check(conn, xcb_input_xi_select_events_checked(conn, root, 1, &mask.header)));
    if (error) {
        qCWarning(lcOverlay) << "Watching other applications' input was refused, X error"
                             << error->error_code;
        return false;
    }
    if (enable) {
        escapeKeycodes_ = x11::keycodesFor(conn, escapeKeysym);
        QCoreApplication::instance()->installNativeEventFilter(this);
    } else if (QCoreApplication::instance()) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    return true;
}

bool X11GlobalInputMonitor::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t" || handlers_.empty())
        return false;
    const auto* event = static_cast<const xcb_ge_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_GE_GENERIC || event->extension != opcode_)
        return false;
    std::optional<GlobalInput> input;
    switch (event->event_type) {
    case XCB_INPUT_RAW_KEY_PRESS: {
        const auto* key = static_cast<const xcb_input_raw_key_press_event_t*>(message);
        if (escapeKeycodes_.contains(static_cast<uint8_t>(key->detail)))
            input = GlobalInput::EscapePressed;
        break;
    }
    case XCB_INPUT_RAW_BUTTON_PRESS:
        input = GlobalInput::ButtonPressed;
        break;
    case XCB_INPUT_RAW_MOTION:
        input = GlobalInput::PointerMoved;
        break;
    default:
        return false;
    }
    if (input) {
        // A handler may unsubscribe itself, or others.
        const auto handlers = handlers_;
        for (const auto& [id, handler] : handlers)
            handler(*input);
    }
    // Raw events are only observed; Qt has nothing to do with them.
    return true;
}

} // namespace vellumbox
