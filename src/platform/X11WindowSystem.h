// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "WindowSystem.h"

#include <QObject>
#include <QPointer>
#include <QWindow>

namespace vellumbox {

class X11WindowSystem final : public QObject, public WindowSystem {
    Q_OBJECT
public:
    explicit X11WindowSystem(bool honoursPlacement = true)
        : honoursPlacement_(honoursPlacement)
    {}
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
    QPointer<QWindow> grabWindow_;
    int grabAttempts_ = 0;
    bool grabbed_ = false;
};

} // namespace vellumbox
