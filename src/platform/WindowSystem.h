// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWindow;

namespace vellumbox {

// What the window classes need of the desktop beyond Qt's own window flags.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // A compositing manager runs: translucent windows and window opacity take effect.
    virtual bool compositingActive() const = 0;
    // Shows the window on every workspace.
    virtual void makeSticky(QWindow* window) = 0;
    // Active keyboard and pointer grab for the window; events over the application's
    // other windows still reach those windows.
    virtual bool grabInput(QWindow* window) = 0;
    virtual void releaseInput() = 0;
    // The window manager keeps a window where the program puts it, above the others and on
    // every workspace when asked. sway's manager of X11 windows does none of that.
    virtual bool honoursPlacement() const = 0;
    // Puts a window not yet shown in a layer above full-screen windows where the manager keeps
    // one that still takes the keyboard on a click (KWin's critical notifications); false where
    // the window stays an ordinary one, which an active full-screen window covers.
    virtual bool floatAboveFullScreen(QWindow* window) = 0;
};

} // namespace vellumbox
