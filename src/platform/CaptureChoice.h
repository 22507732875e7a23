// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <functional>

namespace vellumbox {

enum class CaptureMethod { X11, WlrScreencopy, KWin, Portal, None };

const char* captureMethodName(CaptureMethod method);

struct CaptureProbes {
    std::function<bool()> screencopy;
    std::function<bool()> kwin;
    std::function<bool()> portal;
};

// How the screen is read: the X server in an X11 session (XWayland cannot read Wayland
// content); in a Wayland session the compositor's screen copy where it is offered (fast,
// per output, full density), KWin's own interface on KDE, the desktop portal elsewhere.
// `forced` ("x11", "screencopy", "kwin", "portal", from VELLUMBOX_CAPTURE) picks one for tests
// and for the user; a forced method that is missing gives None, never a silent other one. The
// probes are asked only as needed.
CaptureMethod chooseCaptureMethod(const QByteArray& forced, bool waylandSession,
                                  const CaptureProbes& offered);

// XDG_SESSION_TYPE and WAYLAND_DISPLAY as the session sets them.
bool isWaylandSession(const QByteArray& sessionType, const QByteArray& waylandDisplay);

} // namespace vellumbox
