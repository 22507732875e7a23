// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DisplayCapture.h"

#include <QList>
#include <QRect>

#include <cstdint>

namespace vellumbox {

// A compositor's shared-memory picture as an image of its own (the buffer is reused), or the
// reason it cannot be read: a format Qt cannot show as it is is refused, never guessed.
DisplayImage imageFromShmBuffer(const uchar* data, const QSize& size, qsizetype stride,
                                uint32_t shmFormat, bool yInverted);

// The output that shows a screen: the one with the same logical geometry, else the one that
// overlaps it most; -1 when none does (the output was unplugged).
int outputIndexForScreen(const QList<QRect>& outputs, const QRect& screen);

} // namespace vellumbox
