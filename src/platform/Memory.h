// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vellumbox {

// Hands memory the program has freed back to the system. Large images freed in the middle
// of the heap would otherwise stay resident.
void releaseFreedMemory();

} // namespace vellumbox
