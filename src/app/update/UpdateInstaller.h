// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Appcast.h"
#include "BoundedTransfer.h"

#include <QFile>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QNetworkAccessManager;

namespace vellumbox {

class PackageOpener;
class UpdateUserDriver;

struct InstallerConfig {
    QString downloadDirectory;
    QByteArray publicKey;
    int stallTimeoutMs = 60'000;
    // Free bytes where the download goes; the file system is asked when unset.
    std::function<qint64(const QString&)> availableBytes;
};

// Downloads a release, checks its length and signature, and only then opens it. Anything
// that fails the check is deleted. Whether an item may be offered at all, the manager decides.
class UpdateInstaller : public QObject {
    Q_OBJECT
public:
    UpdateInstaller(QNetworkAccessManager& network, UpdateUserDriver& driver, PackageOpener& opener,
                    InstallerConfig config, QObject* parent = nullptr);
    ~UpdateInstaller() override;

    void install(const AppcastItem& update);
    void cancel();
    bool isBusy() const { return transfer_ != nullptr; }

    // Where a release is saved: the enclosure's own file name, never a path out of the folder.
    static QString packageFileName(const AppcastItem& update);

Q_SIGNALS:
    // ok is true once the verified package has been handed to the desktop.
    void finished(bool ok);

private:
    bool prepare(const AppcastItem& update);
    void onTransferFinished(bool ok, const QString& error);
    void verifyAndOpen();
    void fail(const QString& reason);
    void dropTransfer();
    void cleanUp();

    QNetworkAccessManager& network_;
    UpdateUserDriver& driver_;
    PackageOpener& opener_;
    InstallerConfig config_;
    AppcastItem update_;
    QFile file_;
    QString finalPath_;
    std::unique_ptr<BoundedTransfer> transfer_;
};

} // namespace vellumbox
