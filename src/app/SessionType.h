// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace vellumbox {

// Under a Wayland session with XWayland, Vellumbox runs as an X11 client: the X11 services
// (screen reading, key grab, window levels) are the ones it is built on. Decided from
// XDG_SESSION_TYPE and WAYLAND_DISPLAY, and only when the user has not chosen a platform.
bool shouldUseXcb(const QByteArray& qpaPlatform, const QByteArray& sessionType,
                  const QByteArray& waylandDisplay, const QByteArray& x11Display);

// Why Vellumbox cannot start, when it would run on X11 and there is no X display: said
// plainly, where Qt would abort.
std::optional<QString> missingDisplayReason(const QByteArray& qpaPlatform,
                                            const QByteArray& sessionType,
                                            const QByteArray& waylandDisplay,
                                            const QByteArray& x11Display);

} // namespace vellumbox
