// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/TextEngine.h"

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

namespace vellumbox {

// What is kept of a line the engine read: its words joined by spaces, without the marks the
// engine doubts (window chrome, icons, borders) and without frame edges glued to a word; empty
// unless some word reads as a word, confident or three letters and digits long; and the boxes
// of the words it holds.
struct KeptWords {
    QString text;
    QList<QRect> boxes;
};
KeptWords keptWords(const QList<EngineWord>& words);

// Which of the lines read the same letters and digits as another line over the same place, a
// line found twice: each but the one in the tightest box; and which read a part of a line that
// holds them, there.
QList<qsizetype> repeatedLines(const QList<QRect>& boxes, const QStringList& texts);

// Which lines are a letter or two side by side with others, as close as words and as tall as
// each other: the layout took one line for pieces, and the line found in their ink replaces them.
QList<bool> lettersApart(const QList<QRect>& boxes);

// Which lines give way where the same ink was read twice: the layout's lines come first, one
// flag each saying whether it is doubtful, then the lines found in the ink it left. A doubtful
// line gives way to the ones found in its ink when they span most of it, or when it stands over
// several rows of them; otherwise they give way to it, since they read part of it again.
QList<qsizetype> doubledLines(const QList<QRect>& boxes, const QList<bool>& doubtful);

// The lines that are pieces of one, which the layout read apart: side by side on one row, about
// as tall as each other and closer than a column's gutter. Each group in order from the left;
// a line alone is a group of one. Groups in the order of their first line.
QList<QList<qsizetype>> piecesOfOneLine(const QList<QRect>& boxes);

// The texts with each lone letter the engine read in both its cases ("Cc", "Ww": letters whose
// small form is the capital made smaller) settled by its height: a capital is as tall as the
// digits and capitals read alone on its row. Without them on the row, the engine's first reading
// stands alone.
QStringList casesSettled(const QList<QRect>& boxes, QStringList texts);

} // namespace vellumbox
