// SPDX-License-Identifier: GPL-3.0-or-later
#include "SessionType.h"

#include <QCoreApplication>

namespace vellumbox {

bool shouldUseXcb(const QByteArray& qpaPlatform, const QByteArray& sessionType,
                  const QByteArray& waylandDisplay, const QByteArray& x11Display)
{
    if (!qpaPlatform.isEmpty() || x11Display.isEmpty())
        return false;
    return sessionType.toLower() == "wayland" || !waylandDisplay.isEmpty();
}

std::optional<QString> missingDisplayReason(const QByteArray& qpaPlatform,
                                            const QByteArray& sessionType,
                                            const QByteArray& waylandDisplay,
                                            const QByteArray& x11Display)
{
    const bool onX11 = qpaPlatform.isEmpty() || qpaPlatform.startsWith("xcb");
    if (!onX11 || !x11Display.isEmpty())
        return std::nullopt;
    if (sessionType.toLower() == "wayland" || !waylandDisplay.isEmpty())
        return QCoreApplication::translate(
            "SessionType", "Vellumbox needs XWayland to run in a Wayland session, and this session "
                           "has no X display (DISPLAY is not set). Turn XWayland on in your "
                           "desktop's settings, or log in to an X11 session.");
    return QCoreApplication::translate(
        "SessionType", "Vellumbox needs an X display, and none is set (DISPLAY is empty). Start it "
                       "from a desktop session.");
}

} // namespace vellumbox
