// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/update/PackageOpener.h"
#include "app/update/UpdateUserDriver.h"

#include <QStringList>

#include <functional>

// Records what the updater shows, in order, and lets the test answer.
class FakeUpdateUserDriver final : public vellumbox::UpdateUserDriver {
public:
    QStringList events;
    QString lastError;
    QString upToDateSkipped;
    std::function<void(vellumbox::UpdateChoice)> pendingReply;
    std::function<void()> pendingCancel;
    // Called as the download starts, to act while it runs.
    std::function<void()> onDownloadStarted;

    void showNoFeed() override { events.append(QStringLiteral("noFeed")); }
    void showUpToDate(const QString& currentVersion, const QString& skippedVersion) override
    {
        upToDateSkipped = skippedVersion;
        events.append(QStringLiteral("upToDate ") + currentVersion);
    }
    void showUpdateFound(const vellumbox::AppcastItem& update, const QString& currentVersion,
                         std::function<void(vellumbox::UpdateChoice)> reply) override
    {
        events.append(
            QStringLiteral("updateFound %1 over %2").arg(update.displayVersion(), currentVersion));
        pendingReply = std::move(reply);
    }
    void showDownloadStarted(const QString& version, std::function<void()> cancel) override
    {
        events.append(QStringLiteral("downloading ") + version);
        pendingCancel = std::move(cancel);
        if (onDownloadStarted)
            onDownloadStarted();
    }
    void showDownloadProgress(qint64 received, qint64 total) override
    {
        if (received > total)
            events.append(QStringLiteral("progress beyond the total"));
    }
    void dismissDownload() override { pendingCancel = nullptr; }
    void showUpdateError(const QString& reason) override
    {
        lastError = reason;
        events.append(QStringLiteral("error"));
    }
    void bringToFront() override { events.append(QStringLiteral("front")); }
    void closeAll() override { events.append(QStringLiteral("closeAll")); }

    void choose(vellumbox::UpdateChoice choice)
    {
        auto reply = std::move(pendingReply);
        pendingReply = nullptr;
        if (reply)
            reply(choice);
    }
};

class FakePackageOpener final : public vellumbox::PackageOpener {
public:
    QStringList opened;
    bool succeed = true;

    bool open(const QString& path) override
    {
        opened.append(path);
        return succeed;
    }
};
