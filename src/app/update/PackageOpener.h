// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace vellumbox {

// Hands a verified package to whatever the desktop installs such files with. Virtual so that
// tests can stand in for the desktop.
class PackageOpener {
public:
    virtual ~PackageOpener() = default;
    virtual bool open(const QString& path);
};

} // namespace vellumbox
