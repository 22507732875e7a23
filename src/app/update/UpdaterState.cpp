// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpdaterState.h"

#include "platform/Logging.h"

namespace vellumbox {

namespace {

const QString lastCheckKey = QStringLiteral("lastCheckTime");
const QString skippedKey = QStringLiteral("skippedVersion");

} // namespace

UpdaterState::UpdaterState(const QString& path)
    : file_(path, QSettings::IniFormat)
{}

std::optional<QDateTime> UpdaterState::lastCheckTime() const
{
    const QDateTime time =
        QDateTime::fromString(file_.value(lastCheckKey).toString(), Qt::ISODateWithMs);
    if (!time.isValid())
        return std::nullopt;
    return time;
}

void UpdaterState::setLastCheckTime(const QDateTime& time)
{
    file_.setValue(lastCheckKey, time.toUTC().toString(Qt::ISODateWithMs));
    save();
}

QString UpdaterState::skippedVersion() const
{
    return file_.value(skippedKey).toString();
}

void UpdaterState::setSkippedVersion(const QString& version)
{
    file_.setValue(skippedKey, version);
    save();
}

void UpdaterState::save()
{
    // Written at once: a crash must not bring back a skipped version.
    file_.sync();
    if (file_.status() != QSettings::NoError)
        qCWarning(lcUpdater) << "Could not write the updater's state to" << file_.fileName();
}

} // namespace vellumbox
