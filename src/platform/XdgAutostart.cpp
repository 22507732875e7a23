// SPDX-License-Identifier: GPL-3.0-or-later
#include "XdgAutostart.h"

#include "SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <algorithm>

namespace vellumbox {

QString desktopExecArgument(const QString& argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString arg = argument;
    // A literal percent sign would otherwise read as a field code.
    arg.replace(QLatin1Char('%'), QStringLiteral("%%"));
    const bool needsQuotes = arg.isEmpty() || std::any_of(arg.cbegin(), arg.cend(), [](QChar c) {
                                 return reserved.contains(c);
                             });
    if (needsQuotes) {
        QString quoted;
        for (const QChar c : arg) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        arg = QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    // The key file's own escapes come on top of the Exec quoting.
    QString escaped;
    for (const QChar c : arg) {
        if (c == QLatin1Char('\\'))
            escaped += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            escaped += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            escaped += QStringLiteral("\\r");
        else
            escaped += c;
    }
    return escaped;
}

QString autostartEntry(const QString& executable)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Vellumbox\n"
                          "Comment=Capture, float and annotate screenshots\n"
                          "Exec=%1\n"
                          "Icon=%2\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(desktopExecArgument(executable), QLatin1String(applicationId));
}

XdgAutostart::XdgAutostart(QString configHome, QString executable)
    : configHome_(std::move(configHome))
    , executable_(std::move(executable))
{
    if (configHome_.isEmpty())
        configHome_ = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (executable_.isEmpty())
        executable_ = QCoreApplication::applicationFilePath();
}

QString XdgAutostart::entryPath() const
{
    return configHome_ + QStringLiteral("/autostart/") + QLatin1String(applicationId) +
           QStringLiteral(".desktop");
}

bool XdgAutostart::registerMainApp(QString* error)
{
    const QString folder = configHome_ + QStringLiteral("/autostart");
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("Could not create the folder %1").arg(folder);
        return false;
    }
    if (const auto failure = writeFileSafely(entryPath(), autostartEntry(executable_).toUtf8())) {
        *error = QStringLiteral("Could not write %1: %2").arg(entryPath(), *failure);
        return false;
    }
    return true;
}

} // namespace vellumbox
