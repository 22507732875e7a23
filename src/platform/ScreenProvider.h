// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScreenInfo.h"

#include <QList>
#include <QPoint>

#include <functional>

namespace vellumbox {

class ScreenProvider {
public:
    virtual ~ScreenProvider() = default;
    // Primary screen first.
    virtual QList<ScreenInfo> screens() const = 0;
    virtual QPoint cursorPosition() const = 0;
    // Called whenever a screen is added, removed or changes its geometry.
    virtual void setOnScreensChanged(std::function<void()> callback) = 0;
};

} // namespace vellumbox
