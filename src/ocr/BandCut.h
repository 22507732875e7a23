// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QList>
#include <QRect>

#include <optional>

namespace vellumbox {

// The row at which a tall prepared picture (dark text on white, 200 px or more) splits into two
// halves with about as much text each, inside a run of at least four rows without ink, so that
// no line is cut through; none when there is no such run or one half would be almost empty.
std::optional<int> bandCut(const QImage& prepared);

// The blocks of a prepared picture that stand side by side with a wide gutter of no ink
// between them, such as the columns of a board or of a page, each block cut again in the same
// way; the whole picture when nothing stands apart. A row of text that crosses a gutter, such
// as a heading over the columns, is a block of its own. Gutters are wider than twice the
// usual height of a line, so the words of a line stay together.
QList<QRect> sideBySideBlocks(const QImage& prepared);

} // namespace vellumbox
