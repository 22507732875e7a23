// SPDX-License-Identifier: GPL-3.0-or-later
#include "GioShareService.h"

#include "Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <memory>

namespace vellumbox {

namespace {

struct GioShareServiceText {
    Q_DECLARE_TR_FUNCTIONS(GioShareService)
};

const QString emailTargetId = QStringLiteral("org.vellumbox.email");

struct GObjectUnref {
    void operator()(gpointer object) const
    {
        if (object)
            g_object_unref(object);
    }
};
template <typename T> using GPointer = std::unique_ptr<T, GObjectUnref>;

QIcon iconOf(GAppInfo* app)
{
    GIcon* icon = g_app_info_get_icon(app);
    if (icon && G_IS_THEMED_ICON(icon)) {
        const gchar* const* names = g_themed_icon_get_names(G_THEMED_ICON(icon));
        for (; names && *names; ++names) {
            QIcon themed = QIcon::fromTheme(QString::fromUtf8(*names));
            if (!themed.isNull())
                return themed;
        }
    }
    return {};
}

void emptyFolder(const QString& path)
{
    QDir folder(path);
    for (const QString& name : folder.entryList(QDir::Files))
        folder.remove(name);
}

} // namespace

GioShareService::GioShareService()
{
    emptyFolder(shareFolder());
    if (auto* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, [] { emptyFolder(shareFolder()); });
}

GioShareService::~GioShareService()
{
    emptyFolder(shareFolder());
}

QString GioShareService::shareFolder()
{
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        runtime = QDir::tempPath();
    return runtime + QStringLiteral("/vellumbox-share");
}

QList<ShareTarget> GioShareService::targets()
{
    QList<ShareTarget> result;
    GList* apps = g_app_info_get_all_for_type("image/png");
    for (GList* item = apps; item; item = item->next) {
        auto* app = static_cast<GAppInfo*>(item->data);
        if (!g_app_info_should_show(app))
            continue;
        result.append({QString::fromUtf8(g_app_info_get_id(app)),
                       QString::fromUtf8(g_app_info_get_display_name(app)), iconOf(app)});
    }
    g_list_free_full(apps, g_object_unref);
    if (!QStandardPaths::findExecutable(QStringLiteral("xdg-email")).isEmpty())
        result.append({emailTargetId, GioShareServiceText::tr("E-mail"),
                       QIcon::fromTheme(QStringLiteral("mail-send"))});
    return result;
}

std::optional<QString> GioShareService::share(const ShareTarget& target, const QImage& image)
{
    const QString folder = shareFolder();
    if (!QDir().mkpath(folder) ||
        !QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return GioShareServiceText::tr("The folder %1 could not be made.").arg(folder);
    const QString path = QStringLiteral("%1/Screenshot %2.png").arg(folder).arg(++counter_);
    if (!image.save(path, "PNG"))
        return GioShareServiceText::tr("The image could not be written to %1.").arg(path);

    if (target.id == emailTargetId) {
        if (!QProcess::startDetached(QStringLiteral("xdg-email"),
                                     {QStringLiteral("--attach"), path}))
            return QStringLiteral("xdg-email could not be started.");
        return std::nullopt;
    }
    const GPointer<GDesktopAppInfo> app(g_desktop_app_info_new(target.id.toUtf8().constData()));
    if (!app)
        return GioShareServiceText::tr("%1 is no longer installed.").arg(target.name);
    const GPointer<GFile> file(g_file_new_for_path(QFile::encodeName(path).constData()));
    GList files{file.get(), nullptr, nullptr};
    GError* error = nullptr;
    if (!g_app_info_launch(G_APP_INFO(app.get()), &files, nullptr, &error)) {
        const QString reason = QString::fromUtf8(error ? error->message : "unknown error");
        g_clear_error(&error);
        return GioShareServiceText::tr("%1 could not be started: %2").arg(target.name, reason);
    }
    return std::nullopt;
}

} // namespace vellumbox
