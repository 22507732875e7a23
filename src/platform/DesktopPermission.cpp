// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopPermission.h"

#include <QProcess>

namespace vellumbox {

QStringList privacySettingsCommand(const QString& currentDesktop)
{
    const QStringList desktops = currentDesktop.toLower().split(QLatin1Char(':'));
    if (desktops.contains(QStringLiteral("gnome")) || desktops.contains(QStringLiteral("unity")))
        return {QStringLiteral("gnome-control-center"), QStringLiteral("privacy")};
    if (desktops.contains(QStringLiteral("kde")))
        return {QStringLiteral("systemsettings"), QStringLiteral("kcm_screenlocker")};
    return {};
}

void DesktopPermission::openSettings()
{
    QStringList command = privacySettingsCommand(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
    if (command.isEmpty())
        return;
    const QString program = command.takeFirst();
    QProcess::startDetached(program, command);
}

} // namespace vellumbox
