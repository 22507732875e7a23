// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtSettings.h"

#include "Logging.h"

namespace vellumbox {

QtSettings::QtSettings()
    : settings_(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vellumbox"),
                QStringLiteral("Vellumbox"))
{
    // The file is read on first use; reading it now tells whether it is damaged.
    settings_.allKeys();
    if (settings_.status() == QSettings::FormatError)
        qCWarning(lcApp).noquote()
            << QStringLiteral("The settings file %1 is damaged: the settings that could be read "
                              "are kept, the rest is dropped at the next change")
                   .arg(settings_.fileName());
}

bool QtSettings::boolValue(const QString& key) const
{
    return settings_.value(key, false).toBool();
}

void QtSettings::setBoolValue(const QString& key, bool value)
{
    settings_.setValue(key, value);
    // Written at once: nothing is saved at exit.
    settings_.sync();
}

} // namespace vellumbox
