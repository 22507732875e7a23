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
    case CaptureMethod::KWin:
        return "KWin's screenshot interface";
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
                                  const CaptureProbes& offered)
{
    const QByteArray wanted = forced.trimmed().toLower();
    const auto only = [](bool present, CaptureMethod method) {
        return present ? method : CaptureMethod::None;
    };
    if (wanted == "x11")
        return CaptureMethod::X11;
    if (wanted == "screencopy")
        return only(offered.screencopy(), CaptureMethod::WlrScreencopy);
    if (wanted == "kwin")
        return only(offered.kwin(), CaptureMethod::KWin);
    if (wanted == "portal")
        return only(offered.portal(), CaptureMethod::Portal);
    if (!wanted.isEmpty())
        qCWarning(lcCaptureChoice) << "Unknown capture method" << forced
                                   << "(use x11, screencopy, kwin or portal); choosing one";
    if (!waylandSession)
        return CaptureMethod::X11;
    if (offered.screencopy())
        return CaptureMethod::WlrScreencopy;
    if (offered.kwin())
        return CaptureMethod::KWin;
    return only(offered.portal(), CaptureMethod::Portal);
}

} // namespace vellumbox
