// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vellumbox {

// Floating screenshots stay above ordinary windows, below a running selection; they drop to
// the normal level while an alert or a menu of the application is up.
enum class WindowLevel { Normal, Floating };

} // namespace vellumbox
