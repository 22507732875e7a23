// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

namespace vellumbox {

// GNOME's custom keyboard shortcut Ctrl+Shift+9 running command, under Vellumbox's own entry
// (added once, updated after). The reason when it cannot be: GNOME's settings missing, or
// Ctrl+Shift+9 already taken by another custom shortcut.
std::optional<QString> addGnomeShortcut(const QString& command);

inline constexpr const char* gnomeShortcutPath =
    "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/vellumbox/";

} // namespace vellumbox
