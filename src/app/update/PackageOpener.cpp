// SPDX-License-Identifier: GPL-3.0-or-later
#include "PackageOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace vellumbox {

bool PackageOpener::open(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace vellumbox
