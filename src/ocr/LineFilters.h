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
// unless some word reads as a word, confident or three letters and digits long.
QString keptText(const QList<EngineWord>& words);

// Which of the lines read the same letters and digits as another line over the same place, a
// line found twice: each but the one in the tightest box.
QList<qsizetype> repeatedLines(const QList<QRect>& boxes, const QStringList& texts);

// The lines that are pieces of one, which the layout read apart: side by side on one row, about
// as tall as each other and closer than a column's gutter. Each group in order from the left;
// a line alone is a group of one. Groups in the order of their first line.
QList<QList<qsizetype>> piecesOfOneLine(const QList<QRect>& boxes);

} // namespace vellumbox
