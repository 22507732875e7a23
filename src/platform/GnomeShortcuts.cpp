// SPDX-License-Identifier: GPL-3.0-or-later
#include "GnomeShortcuts.h"

#include <QCoreApplication>
#include <QStringList>

#include <gio/gio.h>

#include <memory>
#include <vector>

namespace vellumbox {

namespace {

const char* const keysSchema = "org.gnome.settings-daemon.plugins.media-keys";
const char* const shortcutSchema = "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";
const char* const binding = "<Control><Shift>9";

struct Unref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using Settings = std::unique_ptr<GSettings, Unref>;

struct GnomeShortcutsText {
    Q_DECLARE_TR_FUNCTIONS(GnomeShortcuts)
};

bool schemaInstalled(const char* id)
{
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema =
        source != nullptr ? g_settings_schema_source_lookup(source, id, TRUE) : nullptr;
    if (schema != nullptr)
        g_settings_schema_unref(schema);
    return schema != nullptr;
}

QString stringAt(GSettings* settings, const char* key)
{
    gchar* value = g_settings_get_string(settings, key);
    QString result = QString::fromUtf8(value);
    g_free(value);
    return result;
}

} // namespace

std::optional<QString> addGnomeShortcut(const QString& command)
{
    if (!schemaInstalled(keysSchema) || !schemaInstalled(shortcutSchema))
        return GnomeShortcutsText::tr("GNOME's keyboard settings are not installed.");
    const Settings keys(g_settings_new(keysSchema));
    gchar** listed = g_settings_get_strv(keys.get(), "custom-keybindings");
    QStringList paths;
    for (gchar** path = listed; *path != nullptr; ++path)
        paths.append(QString::fromUtf8(*path));
    g_strfreev(listed);
    const QString own = QLatin1String(gnomeShortcutPath);
    for (const QString& path : paths) {
        if (path == own)
            continue;
        const Settings other(g_settings_new_with_path(shortcutSchema, path.toUtf8().constData()));
        if (stringAt(other.get(), "binding") == QLatin1String(binding))
            return GnomeShortcutsText::tr("Ctrl+Shift+9 already runs “%1” in GNOME's shortcuts.")
                .arg(stringAt(other.get(), "name"));
    }
    const Settings shortcut(g_settings_new_with_path(shortcutSchema, gnomeShortcutPath));
    const QByteArray line = command.toUtf8();
    bool written = g_settings_set_string(shortcut.get(), "name", "Vellumbox") &&
                   g_settings_set_string(shortcut.get(), "command", line.constData()) &&
                   g_settings_set_string(shortcut.get(), "binding", binding);
    if (written && !paths.contains(own)) {
        paths.append(own);
        QList<QByteArray> utf8;
        std::vector<const gchar*> list;
        for (const QString& path : paths)
            utf8.append(path.toUtf8());
        for (const QByteArray& path : utf8)
            list.push_back(path.constData());
        list.push_back(nullptr);
        written = g_settings_set_strv(keys.get(), "custom-keybindings", list.data());
    }
    g_settings_sync();
    if (!written)
        return GnomeShortcutsText::tr("GNOME's settings did not take the shortcut.");
    return std::nullopt;
}

} // namespace vellumbox
