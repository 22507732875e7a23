// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopShortcuts.h"

#include "CaptureChoice.h"
#include "GnomeShortcuts.h"
#include "PortalGlobalHotkey.h"

#include <QCoreApplication>

namespace vellumbox {

ShortcutOffer shortcutOffer(const QByteArray& currentDesktop, bool waylandSession,
                            bool shortcutPortal, const QString& executable)
{
    if (!waylandSession || shortcutPortal)
        return {};
    const QList<QByteArray> desktops = currentDesktop.toLower().split(':');
    if (desktops.contains("gnome"))
        return {ShortcutOffer::Kind::Gnome, {}};
    // The line is sway's own syntax; other compositors write bindings their own way.
    if (desktops.contains("sway"))
        return {ShortcutOffer::Kind::ConfigurationLine,
                QStringLiteral("bindsym Ctrl+Shift+9 exec %1 --capture").arg(executable)};
    return {};
}

ShortcutOffer LinuxDesktopShortcuts::offer()
{
    if (!offer_) {
        const bool wayland =
            isWaylandSession(qgetenv("XDG_SESSION_TYPE"), qgetenv("WAYLAND_DISPLAY"));
        offer_ = shortcutOffer(qgetenv("XDG_CURRENT_DESKTOP"), wayland,
                               wayland && PortalGlobalHotkey::available(),
                               QCoreApplication::applicationFilePath());
    }
    return *offer_;
}

std::optional<QString> LinuxDesktopShortcuts::add()
{
    if (offer().kind != ShortcutOffer::Kind::Gnome)
        return QCoreApplication::translate("DesktopShortcuts",
                                           "This desktop keeps no shortcuts Vellumbox can add.");
    return addGnomeShortcut(
        QStringLiteral("%1 --capture").arg(QCoreApplication::applicationFilePath()));
}

} // namespace vellumbox
