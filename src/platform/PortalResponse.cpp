// SPDX-License-Identifier: GPL-3.0-or-later
#include "PortalResponse.h"

#include "PortalScreenshot.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTimer>

namespace vellumbox {

bool offersInterface(const QString& service, const QString& path, const QString& interface,
                     const QString& versionProperty)
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << interface << versionProperty;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, 5000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

PortalReply callPortal(const QString& interface, const QString& method, QVariantList arguments,
                       QVariantMap options, int timeoutMs)
{
    const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return {{}, {}, QCoreApplication::translate("PortalResponse", "There is no session bus.")};
    const QString token = QStringLiteral("vellumbox%1").arg(QRandomGenerator::global()->generate());
    options.insert(QStringLiteral("handle_token"), token);
    QString path = portalRequestPath(bus.baseService(), token);
    PortalResponse response;
    const auto listen = [&](const QString& on, bool connect) {
        const QString request = QStringLiteral("org.freedesktop.portal.Request");
        const QString signal = QStringLiteral("Response");
        const char* slot = SLOT(response(uint, QVariantMap));
        if (connect)
            bus.connect(service, on, request, signal, &response, slot);
        else
            bus.disconnect(service, on, request, signal, &response, slot);
    };
    listen(path, true);

    QDBusMessage call = QDBusMessage::createMethodCall(
        service, QStringLiteral("/org/freedesktop/portal/desktop"), interface, method);
    arguments.append(options);
    call.setArguments(arguments);
    QEventLoop loop;
    QDBusPendingCallWatcher watcher(bus.asyncCall(call, timeoutMs));
    QString callError;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, [&] {
        const QDBusPendingReply<QDBusObjectPath> reply = watcher;
        if (reply.isError()) {
            callError = reply.error().message();
            loop.quit();
        } else if (reply.value().path() != path) {
            // Older portals choose the path themselves.
            listen(path, false);
            path = reply.value().path();
            listen(path, true);
        }
    });
    QObject::connect(&response, &PortalResponse::answered, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!response.code && callError.isEmpty())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    listen(path, false);
    if (!callError.isEmpty())
        return {{}, {}, callError};
    if (!response.code)
        return {{},
                {},
                QCoreApplication::translate("PortalResponse", "it did not answer within %1 s")
                    .arg(timeoutMs / 1000.0)};
    return {response.code, response.results, {}};
}

} // namespace vellumbox
