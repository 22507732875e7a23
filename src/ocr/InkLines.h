// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QList>
#include <QRect>

namespace vellumbox {

// Boxes of the rows of glyph-sized ink in a prepared picture (dark text on white) that none of
// the `read` boxes touches: text the engine's layout took for a picture or a frame, or read as
// nothing. Rules, frames and specks are left out; neighbouring glyphs of one height join.
QList<QRect> unreadInkLines(const QImage& prepared, const QList<QRect>& read);

// The boxes of a prepared picture's glyph-sized ink filled black on white: what is left of it
// without frames, rules and pictures.
QImage glyphMask(const QImage& prepared);

// The same for a prepared picture, with large type, whose strokes the preparation hollows to
// the corners of their outline, found on `halfPrepared`, the picture prepared at half size,
// where they fit: such a row replaces the pieces of it found at full size.
QList<QRect> unreadTextLines(const QImage& halfPrepared, const QImage& prepared,
                             const QList<QRect>& read);

// Rows of glyph-sized ink inside the `line` the engine read, before its first word or after its
// last, that none of the `words` holds: what its layout ran into the line and left unread, such
// as a line number before code or a count after a message.
QList<QRect> inkBesideWords(const QImage& prepared, const QRect& line, const QList<QRect>& words);

// The parts of a line of ink in `box` set in two sizes of type, such as a price in large figures
// and its unit in small letters, each run of one size, from the left; none for one size.
QList<QRect> runsOfOneSize(const QImage& prepared, const QRect& box);

// `prepared` without a password field's dots: four or more filled discs of one size in a row,
// evenly spaced, which the engine reads as a word of "e"s and "o"s.
void eraseMaskedCharacters(QImage& prepared);

// Large type, whose strokes the preparation hollows to their outline, filled from `halfPrepared`,
// the picture prepared at half size, where its strokes fit.
void fillLargeType(QImage& prepared, const QImage& halfPrepared);

} // namespace vellumbox
