// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Annotation.h"

#include <QSizeF>

class QPainter;

namespace vellumbox {

// The one rule that draws an annotation, on screen and into exported images alike: scaled to
// size, with a line width of 4/300 of the shorter side kept between 2 and 12. Leaves the
// painter's state as it found it; antialiasing and clipping are the painter's own.
void renderAnnotation(const Annotation& annotation, QPainter& painter, const QSizeF& size);

qreal annotationLineWidth(const QSizeF& size);

} // namespace vellumbox
