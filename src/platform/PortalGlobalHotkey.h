// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GlobalHotkey.h"

#include <QDBusObjectPath>
#include <QObject>
#include <QVariantMap>

namespace vellumbox {

// The trigger to ask the desktop for Control+Shift+<key>: "CTRL+SHIFT+9". KDE matches a
// shortcut by the symbol the keys type, and Shift+9 types "(" on a US keyboard: there the trigger
// names what Shift+<key> types in the current layout ("CTRL+parenleft"), given as the X key
// symbol's name.
QString portalTrigger(char key, const QString& desktop = {}, const QString& shiftedSymbol = {});

// The hot key through the XDG desktop portal's GlobalShortcuts interface (KDE Plasma, GNOME
// from 48): it fires whatever window has the focus, native ones included, where an X11 grab
// only sees X11 windows. The session token is fixed, so the desktop keeps the binding (and any
// change the user made to it) from one run to the next.
class PortalGlobalHotkey final : public QObject, public GlobalHotkey {
    Q_OBJECT
public:
    // trigger: the one to ask for, for a key.
    explicit PortalGlobalHotkey(std::function<QString(char)> trigger = [](char key) {
        return portalTrigger(key);
    });
    ~PortalGlobalHotkey() override;

    // True when the session's portal offers GlobalShortcuts.
    static bool available();

    bool registerHotkey(char key, std::function<void()> onPressed) override;
    void unregisterHotkey() override;
    QString lastError() const override { return lastError_; }

    static constexpr int replyTimeoutMs = 10000;
    static constexpr const char* shortcutId = "take-screenshot";

public Q_SLOTS:
    void activated(const QDBusObjectPath& session, const QString& shortcut, qulonglong timestamp,
                   const QVariantMap& options);

private:
    std::function<QString(char)> trigger_;
    QString session_;
    std::function<void()> onPressed_;
    QString lastError_;
};

} // namespace vellumbox
