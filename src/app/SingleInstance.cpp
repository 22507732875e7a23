// SPDX-License-Identifier: GPL-3.0-or-later
#include "SingleInstance.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QTimer>

namespace vellumbox {

namespace {

constexpr int answerTimeoutMs = 5000;

} // namespace

InstanceService::InstanceService(std::function<void()> takeScreenshot, QObject* parent)
    : QObject(parent)
    , takeScreenshot_(std::move(takeScreenshot))
{}

void InstanceService::TakeScreenshot()
{
    // Answered first, captured after: the caller is not kept waiting on the selection.
    QTimer::singleShot(0, this, [this] {
        if (takeScreenshot_)
            takeScreenshot_();
    });
}

InstanceRole claimSingleInstance(QDBusConnection bus, InstanceService* service, QString* message)
{
    const QString name = QLatin1String(instanceServiceName);
    if (!bus.isConnected()) {
        *message = QStringLiteral("No session bus (%1): a second launch cannot reach this one")
                       .arg(bus.lastError().message());
        return InstanceRole::Primary;
    }
    if (bus.registerService(name)) {
        if (!bus.registerObject(QLatin1String(instanceObjectPath), service,
                                QDBusConnection::ExportScriptableSlots)) {
            *message = QStringLiteral("Could not offer %1 on the session bus").arg(name);
            return InstanceRole::Primary;
        }
        *message = QStringLiteral("Registered %1 on the session bus").arg(name);
        return InstanceRole::Primary;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(name, QLatin1String(instanceObjectPath),
                                                       QLatin1String(instanceInterface),
                                                       QStringLiteral("TakeScreenshot"));
    const QDBusMessage reply = bus.call(call, QDBus::Block, answerTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage) {
        *message = QStringLiteral("Vellumbox is already running: it takes the screenshot");
        return InstanceRole::Secondary;
    }
    *message = QStringLiteral("Vellumbox is already running but did not answer: %1")
                   .arg(reply.errorMessage());
    return InstanceRole::Unreachable;
}

} // namespace vellumbox
