// SPDX-License-Identifier: GPL-3.0-or-later
#include "SessionType.h"

namespace vellumbox {

bool shouldUseXcb(const QByteArray& qpaPlatform, const QByteArray& sessionType,
                  const QByteArray& waylandDisplay, const QByteArray& x11Display)
{
    if (!qpaPlatform.isEmpty() || x11Display.isEmpty())
        return false;
    return sessionType.toLower() == "wayland" || !waylandDisplay.isEmpty();
}

} // namespace vellumbox
