// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QSettings>
#include <QString>

#include <optional>

namespace vellumbox {

// The updater's own memory, kept in a file of its own apart from the preferences.
class UpdaterState {
public:
    explicit UpdaterState(const QString& path);

    std::optional<QDateTime> lastCheckTime() const;
    void setLastCheckTime(const QDateTime& time);
    QString skippedVersion() const;
    void setSkippedVersion(const QString& version);

private:
    void save();

    QSettings file_;
};

} // namespace vellumbox
