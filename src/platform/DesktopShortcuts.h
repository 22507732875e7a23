// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace vellumbox {

// Where no shortcut service reaches every window, the desktop's own keyboard shortcuts can run
// `vellumbox --capture`: GNOME keeps custom shortcuts in its settings; on sway the user adds a
// line to the configuration.
struct ShortcutOffer {
    enum class Kind { None, Gnome, ConfigurationLine };
    Kind kind = Kind::None;
    QString line; // the configuration line, for ConfigurationLine

    bool operator==(const ShortcutOffer&) const = default;
};

// What to offer: nothing in an X11 session or where the shortcut portal serves (the hot key
// already fires everywhere), GNOME's own shortcuts on GNOME, the configuration line on sway.
ShortcutOffer shortcutOffer(const QByteArray& currentDesktop, bool waylandSession,
                            bool shortcutPortal, const QString& executable);

class DesktopShortcuts {
public:
    virtual ~DesktopShortcuts() = default;
    virtual ShortcutOffer offer() = 0;
    // Adds the desktop's own shortcut (GNOME); the reason when it could not.
    virtual std::optional<QString> add() = 0;
};

// The session's desktop, looked at once.
class LinuxDesktopShortcuts final : public DesktopShortcuts {
public:
    ShortcutOffer offer() override;
    std::optional<QString> add() override;

private:
    std::optional<ShortcutOffer> offer_;
};

} // namespace vellumbox
