// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopPermission.h"

#include <QProcess>

namespace vellumbox {

QStringList privacySettingsCommand(const QString& currentDesktop)
{
    const QStringList desktops = currentDesktop.toLower().split(QLatin1Char(':'));
    // GNOME keeps its answer per application; KDE never asks for screenshots, so it has no
    // page to send the user to.
    if (desktops.contains(QStringLiteral("gnome")) || desktops.contains(QStringLiteral("unity")))
        return {QStringLiteral("gnome-control-center"), QStringLiteral("applications")};
    return {};
}

void DesktopPermission::openSettings()
{
    openPrivacySettings();
}

void openPrivacySettings()
{
    QStringList command = privacySettingsCommand(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
    if (command.isEmpty())
        return;
    const QString program = command.takeFirst();
    QProcess::startDetached(program, command);
}

} // namespace vellumbox
