// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Settings.h"

#include <QSettings>

namespace vellumbox {

// $XDG_CONFIG_HOME/Vellumbox/Vellumbox.conf, keys in [General].
class QtSettings final : public Settings {
public:
    QtSettings();
    bool boolValue(const QString& key) const override;
    void setBoolValue(const QString& key, bool value) override;

private:
    QSettings settings_;
};

} // namespace vellumbox
