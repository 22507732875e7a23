// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScreenRecordingPermission.h"

#include <QMap>
#include <QString>
#include <QStringList>

namespace vellumbox {

class PortalDisplayCapture;

// What the desktop's permission store holds for screenshots by this program.
enum class StoredPermission { Unset, Granted, Refused };

// The store's entry for one application: "yes" or "no" in its list (an unsandboxed program's
// id is empty).
StoredPermission storedPermission(const QMap<QString, QStringList>& entries,
                                  const QString& appId = {});

// Screen access where the desktop portal reads the screen. GNOME asks the user once and keeps
// the answer in the portal's permission store; other desktops (KDE) give screenshots
// without asking.
class PortalPermission final : public ScreenRecordingPermission {
public:
    PortalPermission(PortalDisplayCapture& portal, bool desktopAsks);

    bool preflight() override;
    // Takes one screenshot through the portal, which asks the user where the desktop does;
    // the picture is dropped. A refusal already stored is the user's answer: not asked again.
    bool request() override;
    void openSettings() override;

    // The user reads the desktop's question before answering.
    static constexpr int requestTimeoutMs = 120000;

private:
    PortalDisplayCapture& portal_;
    bool desktopAsks_;
};

} // namespace vellumbox
