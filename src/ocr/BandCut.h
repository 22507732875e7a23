// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

#include <optional>

namespace vellumbox {

// The row at which a tall prepared picture (dark text on white, 200 px or more) splits into two
// halves with about as much text each, inside a run of at least four rows without ink, so that
// no line is cut through; none when there is no such run or one half would be almost empty.
std::optional<int> bandCut(const QImage& prepared);

} // namespace vellumbox
