// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "UpdateUserDriver.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

class QDialog;
class QMessageBox;
class QProgressDialog;

namespace vellumbox {

// The update windows. None is modal: the tray and the screenshots keep working meanwhile.
class QtUpdateUserDriver final : public UpdateUserDriver {
    Q_DECLARE_TR_FUNCTIONS(QtUpdateUserDriver)

public:
    QtUpdateUserDriver() = default;
    ~QtUpdateUserDriver() override;

    void showNoFeed() override;
    void showUpToDate(const QString& currentVersion, const QString& skippedVersion) override;
    void showUpdateFound(const AppcastItem& update, const QString& currentVersion,
                         std::function<void(UpdateChoice)> reply) override;
    void showDownloadStarted(const QString& version, std::function<void()> cancel) override;
    void showDownloadProgress(qint64 received, qint64 total) override;
    void dismissDownload() override;
    void showUpdateError(const QString& reason) override;
    void bringToFront() override;
    void closeAll() override;

    // For tests: the window in front of the others, if any.
    QWidget* currentWindow() const;

private:
    void showMessage(bool warning, const QString& message, const QString& informativeText);
    void present(QWidget* window);

    QPointer<QMessageBox> message_;
    QPointer<QDialog> updateDialog_;
    QPointer<QProgressDialog> progress_;
    bool bringToFrontPending_ = false;
};

} // namespace vellumbox
