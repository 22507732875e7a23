// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QSize>

namespace vellumbox::bench {

// A desktop as people have one: windows of text, buttons and a photograph, so that the
// screenshots hold what real ones hold (flat colour would flatter the memory figures).
QImage desktopPicture(QSize size);

} // namespace vellumbox::bench
