// SPDX-License-Identifier: GPL-3.0-or-later
#include "PortalGlobalHotkey.h"

#include "PortalResponse.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcPortalHotkey, "vellumbox.Hotkey")

namespace vellumbox {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

// One a(sa{sv}) entry: the shortcut's id and what the desktop should show and bind.
struct Shortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const Shortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, Shortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

} // namespace

} // namespace vellumbox

Q_DECLARE_METATYPE(vellumbox::Shortcut)

namespace vellumbox {

QString portalTrigger(char key, const QString& desktop, const QString& shiftedSymbol)
{
    const bool kde =
        desktop.split(QLatin1Char(':')).contains(QStringLiteral("KDE"), Qt::CaseInsensitive);
    if (kde && !shiftedSymbol.isEmpty())
        return QStringLiteral("CTRL+%1").arg(shiftedSymbol);
    return QStringLiteral("CTRL+SHIFT+%1").arg(QChar::fromLatin1(key).toUpper());
}

PortalGlobalHotkey::PortalGlobalHotkey(std::function<QString(char)> trigger)
    : trigger_(std::move(trigger))
{}

PortalGlobalHotkey::~PortalGlobalHotkey()
{
    unregisterHotkey();
}

bool PortalGlobalHotkey::available()
{
    return offersInterface(portalService, portalPath, shortcutsInterface);
}

bool PortalGlobalHotkey::registerHotkey(char key, std::function<void()> onPressed)
{
    unregisterHotkey();
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<QList<Shortcut>>();
    const QList<Shortcut> shortcuts{
        {QLatin1String(shortcutId),
         {{QStringLiteral("description"),
           QCoreApplication::translate("PortalGlobalHotkey", "Take a screenshot")},
          {QStringLiteral("preferred_trigger"), trigger_(key)}}}};
    const QVariant list = QVariant::fromValue(shortcuts);
    // KDE 5.27 takes the shortcuts from the session's options too.
    const PortalReply session =
        callPortal(shortcutsInterface, QStringLiteral("CreateSession"), {},
                   {{QStringLiteral("session_handle_token"), QStringLiteral("vellumbox")},
                    {QStringLiteral("shortcuts"), list}},
                   replyTimeoutMs);
    if (!session.code || *session.code != 0) {
        lastError_ = QStringLiteral("the desktop's shortcut service opened no session (%1)")
                         .arg(session.code ? QString::number(*session.code) : session.error);
        return false;
    }
    const QString handle = session.results.value(QStringLiteral("session_handle")).toString();
    const PortalReply bound = callPortal(
        shortcutsInterface, QStringLiteral("BindShortcuts"),
        {QVariant::fromValue(QDBusObjectPath(handle)), list, QString()}, {}, replyTimeoutMs);
    if (!bound.code || *bound.code != 0) {
        lastError_ = QStringLiteral("the desktop refused the shortcut (%1)")
                         .arg(bound.code ? QString::number(*bound.code) : bound.error);
        return false;
    }
    QDBusConnection::sessionBus().connect(
        portalService, portalPath, shortcutsInterface, QStringLiteral("Activated"), this,
        SLOT(activated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    session_ = handle;
    onPressed_ = std::move(onPressed);
    lastError_.clear();
    qCInfo(lcPortalHotkey).noquote() << "The desktop's shortcut service binds" << trigger_(key);
    return true;
}

void PortalGlobalHotkey::unregisterHotkey()
{
    if (session_.isEmpty())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.disconnect(portalService, portalPath, shortcutsInterface, QStringLiteral("Activated"), this,
                   SLOT(activated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    bus.call(QDBusMessage::createMethodCall(portalService, session_,
                                            QStringLiteral("org.freedesktop.portal.Session"),
                                            QStringLiteral("Close")),
             QDBus::Block, 2000);
    session_.clear();
    onPressed_ = nullptr;
}

void PortalGlobalHotkey::activated(const QDBusObjectPath& session, const QString& shortcut,
                                   qulonglong /*timestamp*/, const QVariantMap& /*options*/)
{
    if (session.path() == session_ && shortcut == QLatin1String(shortcutId) && onPressed_)
        onPressed_();
}

} // namespace vellumbox
