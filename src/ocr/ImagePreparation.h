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

// The two steps of readableGray. First, every bar of one colour that holds light text (a
// selected row, a filled button, a badge, a dark page) takes the shade around it, and its text
// the opposite one, so that the text is dark on light, or light on dark, like its neighbours'.
// The top-hat alone decides each pixel by its surroundings, and in a bar about as tall as that
// window the surroundings are half bar, half page: its letters came out half inverted.
QImage barsTurnedOver(const QImage& image);
// Then the strokes, as described above.
QImage readableStrokes(const QImage& turned);
// The strokes of the picture at half size, where those of large type fit. From the bars turned
// at full size: at half size, letters fill a row's bar to its edges.
QImage readableStrokesAtHalfSize(const QImage& turned);

// `prepared` without its long thin horizontal rules (a line through struck-out text, an
// underline, the edge of a card), kept where a glyph's stroke crosses them, so that the letters
// they ran through read as letters.
void eraseLongRules(QImage& prepared);

} // namespace vellumbox
