// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>

namespace vellumbox {

// Compares release versions by their parts: runs of digits as numbers of any length ("1.10"
// is newer than "1.9"), runs of letters as text. A release is newer than its pre-releases
// ("2.0" beats "2.0-beta"), and trailing zero parts change nothing ("1.0" equals "1.0.0").
// Answers less than, equal to or greater than zero, as a is older, equal or newer.
int compareVersions(QStringView a, QStringView b);

} // namespace vellumbox
