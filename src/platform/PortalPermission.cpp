// SPDX-License-Identifier: GPL-3.0-or-later
#include "PortalPermission.h"

#include "DesktopPermission.h"
#include "PortalScreenshot.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcPortalPermission, "vellumbox.Permission")

namespace vellumbox {

namespace {

StoredPermission lookUpScreenshotPermission()
{
    QDBusMessage lookup = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.impl.portal.PermissionStore"),
        QStringLiteral("/org/freedesktop/impl/portal/PermissionStore"),
        QStringLiteral("org.freedesktop.impl.portal.PermissionStore"), QStringLiteral("Lookup"));
    lookup << QStringLiteral("screenshot") << QStringLiteral("screenshot");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(lookup, QDBus::Block, 3000);
    // No table yet (nothing was ever asked) is an error reply too.
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return StoredPermission::Unset;
    QMap<QString, QStringList> entries;
    reply.arguments().constFirst().value<QDBusArgument>() >> entries;
    return storedPermission(entries);
}

} // namespace

StoredPermission storedPermission(const QMap<QString, QStringList>& entries, const QString& appId)
{
    const auto entry = entries.constFind(appId);
    if (entry == entries.constEnd())
        return StoredPermission::Unset;
    if (entry->contains(QStringLiteral("no")))
        return StoredPermission::Refused;
    return entry->contains(QStringLiteral("yes")) ? StoredPermission::Granted
                                                  : StoredPermission::Unset;
}

PortalPermission::PortalPermission(PortalDisplayCapture& portal, bool desktopAsks)
    : portal_(portal)
    , desktopAsks_(desktopAsks)
{}

bool PortalPermission::preflight()
{
    switch (lookUpScreenshotPermission()) {
    case StoredPermission::Granted:
        return true;
    case StoredPermission::Refused:
        return false;
    case StoredPermission::Unset:
        break;
    }
    return !desktopAsks_;
}

bool PortalPermission::request()
{
    const StoredPermission stored = lookUpScreenshotPermission();
    if (stored == StoredPermission::Granted || (stored == StoredPermission::Unset && !desktopAsks_))
        return true;
    if (stored == StoredPermission::Refused)
        return false;
    const DisplayImage answer = portal_.captureLayout(requestTimeoutMs);
    if (!answer.ok() && !answer.refused)
        qCWarning(lcPortalPermission).noquote()
            << "Asking for screen access failed:" << answer.error;
    return answer.ok();
}

void PortalPermission::openSettings()
{
    openPrivacySettings();
}

} // namespace vellumbox
