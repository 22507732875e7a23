// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/TextEngine.h"

#include <QList>
#include <QString>

namespace vellumbox {

// What is kept of a line the engine read: its words joined by spaces, without the marks the
// engine doubts (window chrome, icons, borders) and without frame edges glued to a word; empty
// unless some word reads as a word, confident or three letters and digits long.
QString keptText(const QList<EngineWord>& words);

} // namespace vellumbox
