// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtSettings.h"

namespace vellumbox {

QtSettings::QtSettings()
    : settings_(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vellumbox"),
                QStringLiteral("Vellumbox"))
{}

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
