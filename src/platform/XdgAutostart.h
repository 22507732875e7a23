// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LoginItems.h"

#include <QString>

namespace vellumbox {

inline constexpr auto applicationId = "org.vellumbox.Vellumbox";

// One argument of a desktop entry's Exec key, quoted where the Desktop Entry rules require it
// and escaped for the key file.
QString desktopExecArgument(const QString& argument);

// The autostart entry that starts the program at `executable`.
QString autostartEntry(const QString& executable);

// Registers through $XDG_CONFIG_HOME/autostart/<application id>.desktop.
class XdgAutostart final : public LoginItems {
public:
    // Empty arguments mean the user's configuration folder and this process's executable.
    explicit XdgAutostart(QString configHome = {}, QString executable = {});

    bool registerMainApp(QString* error) override;
    QString entryPath() const;

private:
    QString configHome_;
    QString executable_;
};

} // namespace vellumbox
