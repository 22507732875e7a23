// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/TextRecognizer.h"

#include <QList>
#include <QString>

namespace vellumbox {

// Reading order: rows top to bottom, each row left to right. Two lines share a row when their
// bottom edges differ by less than 1 % of the image height, or when their vertical extents
// overlap by at least half the shorter line (descenders alone move a bottom edge by more than
// 1 % in a short capture).
QList<RecognizedLine> orderLines(QList<RecognizedLine> lines);

// The lines' texts separated by single line feeds; lines without a text add nothing.
QString joinLines(const QList<RecognizedLine>& lines);

// The text itself when it has at most `limit` user-perceived characters, else its first
// `limit` of them followed by "...".
QString previewText(const QString& text, int limit = 200);

} // namespace vellumbox
