// SPDX-License-Identifier: GPL-3.0-or-later
#include "Logging.h"

#include <syslog.h>

#include <cstdio>

Q_LOGGING_CATEGORY(lcScreenCapture, "vellumbox.ScreenCapture", QtInfoMsg)
Q_LOGGING_CATEGORY(lcLoginItem, "vellumbox.LoginItem", QtInfoMsg)
Q_LOGGING_CATEGORY(lcHotkey, "vellumbox.Hotkey", QtInfoMsg)
Q_LOGGING_CATEGORY(lcOverlay, "vellumbox.Overlay", QtInfoMsg)
Q_LOGGING_CATEGORY(lcApp, "vellumbox.App", QtInfoMsg)
Q_LOGGING_CATEGORY(lcUpdater, "vellumbox.Updater", QtInfoMsg)

namespace vellumbox {

namespace {

const char* levelName(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return "debug";
    case QtInfoMsg:
        return "info";
    case QtWarningMsg:
        return "warning";
    case QtCriticalMsg:
    case QtFatalMsg:
        return "error";
    }
    return "error";
}

int syslogPriority(QtMsgType type)
{
    switch (type) {
    case QtWarningMsg:
        return LOG_WARNING;
    case QtCriticalMsg:
        return LOG_ERR;
    case QtFatalMsg:
        return LOG_CRIT;
    default:
        return -1;
    }
}

void handleMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const QString line = formatLogLine(type, context.category, message);
    const QByteArray bytes = line.toLocal8Bit();
    std::fprintf(stderr, "%s\n", bytes.constData());
    std::fflush(stderr);
    if (const int priority = syslogPriority(type); priority >= 0)
        syslog(priority, "%s", bytes.constData());
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace

QString formatLogLine(QtMsgType type, const char* category, const QString& message)
{
    const QLatin1StringView name(category && *category ? category : "default");
    return QStringLiteral("%1 %2: %3").arg(QLatin1StringView(levelName(type)), name, message);
}

void installLogHandler()
{
    openlog("vellumbox", LOG_PID, LOG_USER);
    qInstallMessageHandler(handleMessage);
}

} // namespace vellumbox
