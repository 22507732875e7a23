// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <functional>

namespace vellumbox {

enum class CaptureMethod { X11, WlrScreencopy, Portal, None };

const char* captureMethodName(CaptureMethod method);

// How the screen is read: the X server in an X11 session (XWayland cannot read Wayland
// content); in a Wayland session the compositor's screen copy where it is offered (fast,
// per output, full density), the desktop portal elsewhere. `forced` ("x11", "screencopy",
// "portal", from VELLUMBOX_CAPTURE) picks one for tests and for the user; a forced method
// that is missing gives None, never a silent other one. The probes are asked only as needed.
CaptureMethod chooseCaptureMethod(const QByteArray& forced, bool waylandSession,
                                  const std::function<bool()>& hasScreencopy,
                                  const std::function<bool()>& hasPortal);

// XDG_SESSION_TYPE and WAYLAND_DISPLAY as the session sets them.
bool isWaylandSession(const QByteArray& sessionType, const QByteArray& waylandDisplay);

} // namespace vellumbox
