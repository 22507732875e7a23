// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScreenRecordingPermission.h"

#include <QString>
#include <QStringList>

namespace vellumbox {

// On X11 every client may read the screen, so access is always there.
class DesktopPermission final : public ScreenRecordingPermission {
public:
    bool preflight() override { return true; }
    bool request() override { return true; }
    void openSettings() override;
};

// Opens the privacy settings of the session's desktop, where one is known.
void openPrivacySettings();

// The command that opens the privacy settings of the named desktop (XDG_CURRENT_DESKTOP),
// or an empty list when none is known.
QStringList privacySettingsCommand(const QString& currentDesktop);

} // namespace vellumbox
