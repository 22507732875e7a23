// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Appcast.h"
#include "BoundedTransfer.h"
#include "UpdateUserDriver.h"
#include "UpdaterState.h"

#include <QDateTime>
#include <QNetworkAccessManager>
#include <QObject>
#include <QUrl>

#include <functional>
#include <memory>

namespace vellumbox {

class CheckTimer;
class Clock;
class PackageOpener;
class UpdateInstaller;

struct UpdaterConfig {
    QUrl feedUrl;
    QByteArray publicKey; // raw Ed25519 key
    QString currentVersion;
    // Compared with an item's minimum system version: the kernel's release on Linux.
    QString systemVersion;
    QString stateFile;
    QString downloadDirectory;
    TransferLimits feedLimits{maxAppcastBytes, 30'000, 60'000};
    int downloadStallTimeoutMs = 60'000;
    qint64 firstCheckDelayMs = qint64(10) * 60 * 1000;
    qint64 checkIntervalMs = qint64(24) * 60 * 60 * 1000;
    // How often the wall clock is compared with the time a check is due: the timer's clock
    // stops while the machine sleeps, so a timer of a day may take several to fire.
    qint64 recheckMs = qint64(15) * 60 * 1000;
    // Free bytes in a folder; the file system is asked when unset.
    std::function<qint64(const QString&)> availableBytes;
};

// Checks the signed update feed once a day and when asked, offers newer versions, and
// downloads, verifies and opens the one the user accepts.
class UpdaterManager : public QObject {
    Q_OBJECT
public:
    enum class CheckOutcome { NoFeed, UpToDate, SkippedVersion, UpdateOffered, Failed };
    Q_ENUM(CheckOutcome)

    UpdaterManager(UpdaterConfig config, UpdateUserDriver& driver, PackageOpener& opener,
                   const Clock& clock, CheckTimer& timer, QObject* parent = nullptr);
    ~UpdaterManager() override;

    // Built on first use with the real dialogs, network and the build's feed and key. Needs
    // a QApplication; lives for the whole run.
    static UpdaterManager& shared();
    // The build's feed and key, and the user's folders for state and downloads.
    static UpdaterConfig buildConfig();

    // Schedules the daily checks; does nothing for a build without a feed.
    void start();
    // The check the user asked for: every outcome is shown, errors included.
    // When the next daily check is due, by the wall clock; invalid before start().
    QDateTime nextCheckDue() const { return dueAt_; }
    void checkForUpdates();
    bool hasFeed() const { return hasFeed_; }
    // Stops timers and transfers and closes the dialogs, while the application still exists.
    void shutdown();

Q_SIGNALS:
    void checkFinished(vellumbox::UpdaterManager::CheckOutcome outcome);
    void installFinished(bool ok);

private:
    qint64 firstCheckDelayMs() const;
    void scheduleCheck(qint64 delayMs);
    void armTimer();
    void timerFired();
    void runScheduledCheck();
    void beginCheck(bool userInitiated);
    void onFeedFinished(bool ok, const QString& error);
    void evaluateFeed(const QByteArray& body);
    void offer(const AppcastItem& update);
    void onChoice(const AppcastItem& update, UpdateChoice choice);
    void fail(const QString& reason);
    void endCheck(CheckOutcome outcome);
    void dropFeedTransfer();

    UpdaterConfig config_;
    UpdateUserDriver& driver_;
    const Clock& clock_;
    CheckTimer& timer_;
    UpdaterState state_;
    QNetworkAccessManager network_;
    std::unique_ptr<UpdateInstaller> installer_;
    std::unique_ptr<BoundedTransfer> feedTransfer_;
    bool hasFeed_ = false;
    QDateTime dueAt_;
    bool started_ = false;
    bool checkIsUserInitiated_ = false;
    bool offerShown_ = false;
};

} // namespace vellumbox
