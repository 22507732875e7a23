// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCursor>
#include <QPixmap>

namespace vellumbox {

// The crosshair of the selection windows: four arms, white under black, with a gap round
// the hot spot so that the pixel under it stays visible. Made once.
const QCursor& selectionCrosshairCursor();

// Its 32 x 32 image, for tests.
QPixmap selectionCrosshairPixmap();

} // namespace vellumbox
