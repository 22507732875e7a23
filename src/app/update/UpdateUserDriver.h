// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Appcast.h"

#include <functional>

namespace vellumbox {

enum class UpdateChoice { Install, RemindLater, Skip };

// What the updater shows the user. Every call returns at once; answers come through the
// callbacks, which may run after the updater has gone and must then do nothing.
class UpdateUserDriver {
public:
    virtual ~UpdateUserDriver() = default;

    virtual void showNoFeed() = 0;
    // skippedVersion is the newer version the user chose to skip, or empty.
    virtual void showUpToDate(const QString& currentVersion, const QString& skippedVersion) = 0;
    virtual void showUpdateFound(const AppcastItem& update, const QString& currentVersion,
                                 std::function<void(UpdateChoice)> reply) = 0;
    virtual void showDownloadStarted(const QString& version, std::function<void()> cancel) = 0;
    virtual void showDownloadProgress(qint64 received, qint64 total) = 0;
    virtual void dismissDownload() = 0;
    virtual void showUpdateError(const QString& reason) = 0;
    // Brings the application's update window to the front, now or as soon as it shows.
    virtual void bringToFront() = 0;
    // Closes whatever is shown, without answering.
    virtual void closeAll() = 0;
};

} // namespace vellumbox
