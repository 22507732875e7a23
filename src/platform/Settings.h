// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace vellumbox {

namespace settings_keys {
inline const QString hasCompletedOnboarding = QStringLiteral("hasCompletedOnboarding");
inline const QString hasShownLoginItemPrompt = QStringLiteral("hasShownLoginItemPrompt");
} // namespace settings_keys

class Settings {
public:
    virtual ~Settings() = default;
    // A missing key reads as false.
    virtual bool boolValue(const QString& key) const = 0;
    virtual void setBoolValue(const QString& key, bool value) = 0;
};

} // namespace vellumbox
