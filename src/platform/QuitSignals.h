// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vellumbox {

// SIGTERM (the session ending) and SIGINT quit the event loop instead of killing the
// process, so that everything is put away as on "Quit". Needs a QCoreApplication.
void quitOnTerminationSignals();

} // namespace vellumbox
