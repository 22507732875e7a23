// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "WindowSystem.h"

#include <QObject>
#include <QPointer>
#include <QWindow>

#include <memory>

namespace vellumbox {

class X11WindowSystem final : public QObject, public WindowSystem {
    Q_OBJECT
public:
    // focusProxy: under XWayland beside a compositor that never gives the keyboard to a window
    // that bypasses the manager (KWin, GNOME), a grab takes a managed window's focus first.
    explicit X11WindowSystem(bool honoursPlacement = true, bool focusProxy = false)
        : honoursPlacement_(honoursPlacement)
        , needsFocusProxy_(focusProxy)
    {}
    ~X11WindowSystem() override;
    bool compositingActive() const override;
    void makeSticky(QWindow* window) override;
    bool grabInput(QWindow* window) override;
    void releaseInput() override;
    bool honoursPlacement() const override { return honoursPlacement_; }
    bool floatAboveFullScreen(QWindow* window) override;

private:
    bool tryGrab(QWindow* window);
    void retryGrab();

    const bool honoursPlacement_;
    const bool needsFocusProxy_;
    std::unique_ptr<QWindow> focusProxy_;
    QPointer<QWindow> grabWindow_;
    int grabAttempts_ = 0;
    bool grabbed_ = false;
};

} // namespace vellumbox
