// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptureChoice.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcCaptureChoice, "vellumbox.ScreenCapture")

namespace vellumbox {

const char* captureMethodName(CaptureMethod method)
{
    switch (method) {
    case CaptureMethod::X11:
        return "the X server";
    case CaptureMethod::WlrScreencopy:
        return "wlroots screen copy";
    case CaptureMethod::Portal:
        return "the desktop portal's Screenshot interface";
    case CaptureMethod::None:
        break;
    }
    return "nothing";
}

bool isWaylandSession(const QByteArray& sessionType, const QByteArray& waylandDisplay)
{
    return sessionType.toLower() == "wayland" || !waylandDisplay.isEmpty();
}

CaptureMethod chooseCaptureMethod(const QByteArray& forced, bool waylandSession,
                                  const std::function<bool()>& hasScreencopy,
                                  const std::function<bool()>& hasPortal)
{
    const QByteArray wanted = forced.trimmed().toLower();
    if (wanted == "x11")
        return CaptureMethod::X11;
    if (wanted == "screencopy")
        return hasScreencopy() ? CaptureMethod::WlrScreencopy : CaptureMethod::None;
    if (wanted == "portal")
        return hasPortal() ? CaptureMethod::Portal : CaptureMethod::None;
    if (!wanted.isEmpty())
        qCWarning(lcCaptureChoice) << "Unknown capture method" << forced
                                   << "(use x11, screencopy or portal); choosing one";
    if (!waylandSession)
        return CaptureMethod::X11;
    if (hasScreencopy())
        return CaptureMethod::WlrScreencopy;
    return hasPortal() ? CaptureMethod::Portal : CaptureMethod::None;
}

} // namespace vellumbox
