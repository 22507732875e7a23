// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

namespace vellumbox {

// Dark text on white, whatever the colours were, as a Grayscale8 picture of the same size.
// Strokes narrower than a few pixels are told apart from their background by a morphological
// top-hat, dark strokes where the surroundings are mostly light and light strokes where they
// are mostly dark (a dark theme, a coloured patch), then stretched by the local contrast so
// that faint text turns black. The edges of patches, buttons and shadows are steps, not
// strokes, and vanish; flat areas turn white, and so does a "stroke" that is part of a large
// stretch of one shade: the page between labels close together, a label's colour around its
// text.
QImage readableGray(const QImage& image);

// `prepared` without its long thin horizontal rules (a line through struck-out text, an
// underline, the edge of a card), kept where a glyph's stroke crosses them, so that the letters
// they ran through read as letters.
void eraseLongRules(QImage& prepared);

} // namespace vellumbox
