// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpdateInstaller.h"

#include "PackageOpener.h"
#include "SignatureCheck.h"
#include "UpdateUserDriver.h"
#include "platform/Logging.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace vellumbox {

namespace {

// Room left over after the download, so that a full disk is not filled to the last byte.
constexpr qint64 spareBytes = qint64(16) << 20;

qint64 systemAvailableBytes(const QString& directory)
{
    const QStorageInfo storage(directory);
    return storage.isValid() ? storage.bytesAvailable() : -1;
}

QString megabytes(qint64 bytes)
{
    return QString::number(static_cast<double>(bytes) / (1024.0 * 1024.0), 'f', 1);
}

} // namespace

UpdateInstaller::UpdateInstaller(QNetworkAccessManager& network, UpdateUserDriver& driver,
                                 PackageOpener& opener, InstallerConfig config, QObject* parent)
    : QObject(parent)
    , network_(network)
    , driver_(driver)
    , opener_(opener)
    , config_(std::move(config))
{
    if (!config_.availableBytes)
        config_.availableBytes = systemAvailableBytes;
}

UpdateInstaller::~UpdateInstaller()
{
    if (!transfer_)
        return;
    transfer_->cancel();
    transfer_.reset();
    file_.close();
    file_.remove();
}

QString UpdateInstaller::packageFileName(const AppcastItem& update)
{
    QString name = QFileInfo(update.enclosureUrl.path()).fileName();
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        name = QStringLiteral("Vellumbox-%1.package").arg(update.version);
    // A version from the feed must not name another folder either.
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return name;
}

void UpdateInstaller::install(const AppcastItem& update)
{
    if (transfer_) {
        qCInfo(lcUpdater) << "A download is already running";
        return;
    }
    update_ = update;
    // Forgets the last package, which its handler may still be reading.
    file_.setFileName(QString());
    if (!prepare(update))
        return;
    transfer_ = std::make_unique<BoundedTransfer>(
        network_, update.enclosureUrl,
        TransferLimits{update.enclosureLength, config_.stallTimeoutMs, 0}, &file_);
    connect(
        transfer_.get(), &BoundedTransfer::progress, this,
        [this](qint64 received, qint64 total) { driver_.showDownloadProgress(received, total); });
    connect(transfer_.get(), &BoundedTransfer::finished, this,
            &UpdateInstaller::onTransferFinished);
    const QPointer<UpdateInstaller> self(this);
    driver_.showDownloadStarted(update.displayVersion(), [self] {
        if (self)
            self->cancel();
    });
    qCInfo(lcUpdater) << "Downloading" << update.enclosureUrl.toDisplayString();
    transfer_->start();
}

bool UpdateInstaller::prepare(const AppcastItem& update)
{
    if (!QDir().mkpath(config_.downloadDirectory)) {
        fail(tr("The folder %1 could not be created.").arg(config_.downloadDirectory));
        return false;
    }
    const qint64 available = config_.availableBytes(config_.downloadDirectory);
    if (available >= 0 && available - spareBytes < update.enclosureLength) {
        fail(tr("There is not enough free disk space for the update (%1 MB needed).")
                 .arg(megabytes(update.enclosureLength + spareBytes)));
        return false;
    }
    finalPath_ = QDir(config_.downloadDirectory).filePath(packageFileName(update));
    file_.setFileName(finalPath_ + QStringLiteral(".part"));
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        fail(tr("The update could not be saved: %1.").arg(file_.errorString()));
        return false;
    }
    return true;
}

void UpdateInstaller::cancel()
{
    if (!transfer_)
        return;
    qCInfo(lcUpdater) << "The download was cancelled";
    cleanUp();
    driver_.dismissDownload();
    Q_EMIT finished(false);
}

void UpdateInstaller::onTransferFinished(bool ok, const QString& error)
{
    if (!ok) {
        fail(error);
        return;
    }
    // Writes out the buffer now: a full disk often shows only here.
    if (!file_.flush()) {
        fail(tr("The update could not be saved: %1.").arg(file_.errorString()));
        return;
    }
    file_.close();
    verifyAndOpen();
}

void UpdateInstaller::verifyAndOpen()
{
    const PackageCheck check = checkPackage(file_.fileName(), update_.enclosureLength,
                                            update_.edSignature, config_.publicKey);
    if (check != PackageCheck::Valid) {
        fail(tr("The update was refused: %1. It has been deleted.").arg(describe(check)));

        return;
    }
    QFile::remove(finalPath_);
    if (!file_.rename(finalPath_)) {
        fail(tr("The update could not be saved: %1.").arg(file_.errorString()));
        return;
    }
    dropTransfer();
    driver_.dismissDownload();
    qCInfo(lcUpdater) << "Opening the verified update" << finalPath_;
    if (!opener_.open(finalPath_)) {
        driver_.showUpdateError(
            tr("The update was downloaded to %1, but it could not be opened.").arg(finalPath_));
        Q_EMIT finished(false);
        return;
    }
    Q_EMIT finished(true);
}

void UpdateInstaller::fail(const QString& reason)
{
    qCWarning(lcUpdater) << "The update failed:" << reason;
    cleanUp();
    driver_.dismissDownload();
    driver_.showUpdateError(reason);
    Q_EMIT finished(false);
}

void UpdateInstaller::dropTransfer()
{
    if (!transfer_)
        return;
    transfer_->cancel();
    // It may be the one whose signal is being handled.
    transfer_.release()->deleteLater();
}

void UpdateInstaller::cleanUp()
{
    dropTransfer();
    if (file_.isOpen())
        file_.close();
    if (!file_.fileName().isEmpty() && file_.exists())
        file_.remove();
}

} // namespace vellumbox
