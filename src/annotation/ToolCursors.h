// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Annotation.h"

#include <QCursor>
#include <QPixmap>

namespace vellumbox {

// The cursor that shows the active tool: a 32 x 32 glyph (pencil, circle, square, arrow up
// and to the right, highlighter) with a soft shadow, its hot spot where the mark begins.
// Built once per tool and shared.
const QCursor& toolCursor(AnnotationToolType tool);

QPixmap toolCursorPixmap(AnnotationToolType tool);
QPoint toolCursorHotSpot(AnnotationToolType tool);

} // namespace vellumbox
