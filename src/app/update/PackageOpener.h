// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace vellumbox {

// Hands a verified package to whatever the desktop installs such files with.
class PackageOpener {
public:
    virtual ~PackageOpener() = default;
    virtual bool open(const QString& path) = 0;
};

class DesktopPackageOpener final : public PackageOpener {
public:
    bool open(const QString& path) override;
};

} // namespace vellumbox
