// SPDX-License-Identifier: GPL-3.0-or-later
// Kept apart because it alone sees the build's feed and key.
#include "CheckTimer.h"
#include "PackageOpener.h"
#include "QtUpdateUserDriver.h"
#include "SignatureCheck.h"
#include "UpdaterManager.h"
#include "platform/Clock.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QSysInfo>

namespace vellumbox {

namespace {

// $XDG_STATE_HOME: what the updater remembers is neither a preference nor a cache.
QString stateDirectory()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/vellumbox");
}

} // namespace

UpdaterConfig UpdaterManager::buildConfig()
{
    UpdaterConfig config;
    config.feedUrl = QUrl(QStringLiteral(VELLUMBOX_UPDATE_FEED_URL), QUrl::StrictMode);
    config.publicKey =
        decodeBase64Exactly(QStringLiteral(VELLUMBOX_UPDATE_PUBLIC_KEY), ed25519PublicKeyBytes);
    config.currentVersion = QStringLiteral(VELLUMBOX_VERSION);
    config.systemVersion = QSysInfo::kernelVersion();
    config.stateFile = stateDirectory() + QStringLiteral("/updater.ini");
    config.downloadDirectory = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                               QStringLiteral("/updates");
    return config;
}

UpdaterManager& UpdaterManager::shared()
{
    // Never deleted, like the collaborators; shutdown() closes the windows before the
    // application goes.
    static UpdaterManager* instance = [] {
        auto* driver = new QtUpdateUserDriver;
        auto* opener = new PackageOpener;
        auto* clock = new SystemClock;
        auto* timer = new CheckTimer;
        auto* manager = new UpdaterManager(buildConfig(), *driver, *opener, *clock, *timer);
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, manager,
                         [manager] { manager->shutdown(); });
        return manager;
    }();
    return *instance;
}

} // namespace vellumbox
