// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpdaterManager.h"

#include "CheckTimer.h"
#include "SignatureCheck.h"
#include "UpdateInstaller.h"
#include "UpdateUrlPolicy.h"
#include "UpdateUserDriver.h"
#include "Version.h"
#include "platform/Clock.h"
#include "platform/Logging.h"

#include <QPointer>

namespace vellumbox {

namespace {

bool isUsableFeed(const UpdaterConfig& config)
{
    if (config.feedUrl.isEmpty())
        return false;
    if (!isAllowedUpdateUrl(config.feedUrl)) {
        qCWarning(lcUpdater) << "The update feed" << config.feedUrl.toDisplayString()
                             << "is not an HTTPS address; updates are off";
        return false;
    }
    if (config.publicKey.size() != ed25519PublicKeyBytes) {
        // Nothing could be verified, so nothing may be installed.
        qCWarning(lcUpdater) << "The build has an update feed but no valid public key; updates "
                                "are off";
        return false;
    }
    return true;
}

} // namespace

UpdaterManager::UpdaterManager(UpdaterConfig config, UpdateUserDriver& driver,
                               PackageOpener& opener, const Clock& clock, CheckTimer& timer,
                               QObject* parent)
    : QObject(parent)
    , config_(std::move(config))
    , driver_(driver)
    , clock_(clock)
    , timer_(timer)
    , state_(config_.stateFile)
    , hasFeed_(isUsableFeed(config_))
{
    installer_ = std::make_unique<UpdateInstaller>(
        network_, driver_, opener,
        InstallerConfig{config_.downloadDirectory, config_.publicKey,
                        config_.downloadStallTimeoutMs, config_.availableBytes});
    connect(installer_.get(), &UpdateInstaller::finished, this, &UpdaterManager::installFinished);
}

UpdaterManager::~UpdaterManager()
{
    timer_.stop();
}

void UpdaterManager::start()
{
    if (started_)
        return;
    started_ = true;
    if (!hasFeed_) {
        qCInfo(lcUpdater) << "This build has no update feed; it never checks for updates";
        return;
    }
    scheduleCheck(firstCheckDelayMs());
}

qint64 UpdaterManager::firstCheckDelayMs() const
{
    const auto last = state_.lastCheckTime();
    const QDateTime now = clock_.currentDateTime();
    // A last check in the future means the clock was turned back; it proves nothing.
    if (!last || *last > now)
        return config_.firstCheckDelayMs;
    const qint64 untilDue = config_.checkIntervalMs - last->msecsTo(now);
    return std::max(untilDue, config_.firstCheckDelayMs);
}

void UpdaterManager::scheduleCheck(qint64 delayMs)
{
    dueAt_ = clock_.currentDateTime().addMSecs(delayMs);
    armTimer();
}

void UpdaterManager::armTimer()
{
    const qint64 remaining = std::max<qint64>(0, clock_.currentDateTime().msecsTo(dueAt_));
    const QPointer<UpdaterManager> self(this);
    timer_.start(std::min(remaining, config_.recheckMs), [self] {
        if (self)
            self->timerFired();
    });
}

void UpdaterManager::timerFired()
{
    const qint64 remaining = clock_.currentDateTime().msecsTo(dueAt_);
    // Not yet due by the wall clock: look again later. Due further off than a whole interval
    // means the clock was turned back; that waits no longer than the interval.
    if (remaining > config_.checkIntervalMs)
        dueAt_ = clock_.currentDateTime().addMSecs(config_.checkIntervalMs);
    if (remaining > 0) {
        armTimer();
        return;
    }
    runScheduledCheck();
}

void UpdaterManager::runScheduledCheck()
{
    if (feedTransfer_ || offerShown_ || installer_->isBusy()) {
        // Already talking to the user about an update; try again tomorrow.
        scheduleCheck(config_.checkIntervalMs);
        return;
    }
    beginCheck(false);
}

void UpdaterManager::checkForUpdates()
{
    beginCheck(true);
}

void UpdaterManager::beginCheck(bool userInitiated)
{
    if (!hasFeed_) {
        if (userInitiated)
            driver_.showNoFeed();
        Q_EMIT checkFinished(CheckOutcome::NoFeed);
        return;
    }
    if (feedTransfer_) {
        // The check under way now answers the user too.
        checkIsUserInitiated_ = checkIsUserInitiated_ || userInitiated;
        return;
    }
    if (offerShown_ || installer_->isBusy()) {
        // The offer or download on screen is this check's answer.
        driver_.bringToFront();
        endCheck(CheckOutcome::UpdateOffered);
        return;
    }
    checkIsUserInitiated_ = userInitiated;
    qCInfo(lcUpdater) << (userInitiated ? "Checking for updates" : "Checking for updates daily")
                      << "at" << config_.feedUrl.toDisplayString();
    feedTransfer_ =
        std::make_unique<BoundedTransfer>(network_, config_.feedUrl, config_.feedLimits);
    connect(feedTransfer_.get(), &BoundedTransfer::finished, this, &UpdaterManager::onFeedFinished);
    feedTransfer_->start();
}

void UpdaterManager::onFeedFinished(bool ok, const QString& error)
{
    const QByteArray body = feedTransfer_ ? feedTransfer_->body() : QByteArray();
    dropFeedTransfer();
    // Counted even when it failed: a broken feed is not asked again every few minutes.
    state_.setLastCheckTime(clock_.currentDateTime());
    if (started_)
        scheduleCheck(config_.checkIntervalMs);
    if (!ok) {
        fail(tr("The update feed could not be loaded. %1").arg(error));
        return;
    }
    evaluateFeed(body);
}

void UpdaterManager::evaluateFeed(const QByteArray& body)
{
    const AppcastParseResult parsed = parseAppcast(body);
    if (!parsed.appcast) {
        fail(tr("The update feed could not be read: %1.").arg(parsed.error));
        return;
    }
    for (const QString& reason : parsed.appcast->rejected)
        qCInfo(lcUpdater) << "Passed over in the feed:" << reason;
    const auto best =
        bestAppcastItem(parsed.appcast->items, config_.currentVersion, config_.systemVersion);
    if (!best) {
        qCInfo(lcUpdater) << "Vellumbox" << config_.currentVersion << "is up to date";
        if (checkIsUserInitiated_)
            driver_.showUpToDate(config_.currentVersion, {});
        endCheck(CheckOutcome::UpToDate);
        return;
    }
    const QString skipped = state_.skippedVersion();
    if (!skipped.isEmpty() && compareVersions(best->version, skipped) == 0) {
        qCInfo(lcUpdater) << "Version" << best->version << "was skipped";
        if (checkIsUserInitiated_)
            driver_.showUpToDate(config_.currentVersion, best->displayVersion());
        endCheck(CheckOutcome::SkippedVersion);
        return;
    }
    if (best->edSignature.isEmpty()) {
        fail(tr("Vellumbox %1 is offered without a signature, so it cannot be "
                "trusted.")
                 .arg(best->displayVersion()));
        return;
    }
    if (!isAllowedUpdateUrl(best->enclosureUrl)) {
        fail(tr("Vellumbox %1 would be downloaded from an insecure address.")
                 .arg(best->displayVersion()));
        return;
    }
    offer(*best);
}

void UpdaterManager::offer(const AppcastItem& update)
{
    offerShown_ = true;
    // A tray application has no window in front, so an update nobody asked for would otherwise
    // appear behind other windows; one the user asked for is in front of them already.
    if (!checkIsUserInitiated_)
        driver_.bringToFront();
    const QPointer<UpdaterManager> self(this);
    driver_.showUpdateFound(update, config_.currentVersion, [self, update](UpdateChoice choice) {
        if (self)
            self->onChoice(update, choice);
    });
    endCheck(CheckOutcome::UpdateOffered);
}

void UpdaterManager::onChoice(const AppcastItem& update, UpdateChoice choice)
{
    offerShown_ = false;
    switch (choice) {
    case UpdateChoice::Install:
        installer_->install(update);
        break;
    case UpdateChoice::RemindLater:
        // The daily check brings it up again.
        qCInfo(lcUpdater) << "Reminding about" << update.version << "later";
        break;
    case UpdateChoice::Skip:
        qCInfo(lcUpdater) << "Skipping version" << update.version;
        state_.setSkippedVersion(update.version);
        break;
    }
}

void UpdaterManager::fail(const QString& reason)
{
    qCWarning(lcUpdater) << "The update check failed:" << reason;
    // A check nobody asked for stays silent.
    if (checkIsUserInitiated_)
        driver_.showUpdateError(reason);
    endCheck(CheckOutcome::Failed);
}

void UpdaterManager::endCheck(CheckOutcome outcome)
{
    checkIsUserInitiated_ = false;
    Q_EMIT checkFinished(outcome);
}

void UpdaterManager::dropFeedTransfer()
{
    if (!feedTransfer_)
        return;
    feedTransfer_->cancel();
    // It may be the one whose signal is being handled.
    feedTransfer_.release()->deleteLater();
}

void UpdaterManager::shutdown()
{
    timer_.stop();
    dropFeedTransfer();
    installer_->cancel();
    driver_.closeAll();
}

} // namespace vellumbox
