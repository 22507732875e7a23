// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QRegion>
#include <QWidget>

namespace vellumbox {

// A screen's picture held by the display server for one selection window: the window's own
// background shows it dimmed, so the server paints the dimmed screen the moment the window
// maps, and parts of it are shown as they are without the picture ever entering the program.
// Regions are in the window's device pixels.
class SelectionBackdrop {
public:
    virtual ~SelectionBackdrop() = default;
    // Takes the window, which shows the dimmed picture as its background from the first dim()
    // on; false if the window cannot take it.
    virtual bool attach(WId window) = 0;
    virtual void dim(const QRegion& area) = 0;
    virtual void reveal(const QRegion& area) = 0;
    virtual void fill(const QRegion& area, const QColor& color) = 0;
};

} // namespace vellumbox
