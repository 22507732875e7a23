// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCursor>

namespace vellumbox {

// The application-wide current cursor, above every window's own cursor.
class CursorService {
public:
    virtual ~CursorService() = default;
    virtual void setCurrent(const QCursor& cursor) = 0;
    // Back to the arrow and the windows' own cursors.
    virtual void restoreArrow() = 0;
};

} // namespace vellumbox
