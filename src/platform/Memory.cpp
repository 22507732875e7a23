// SPDX-License-Identifier: GPL-3.0-or-later
#include "Memory.h"

#include <malloc.h>

namespace vellumbox {

void releaseFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace vellumbox
