// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScreenProvider.h"

#include <QObject>

class QScreen;

namespace vellumbox {

class QtScreenProvider final : public QObject, public ScreenProvider {
    Q_OBJECT
public:
    QList<ScreenInfo> screens() const override;
    QPoint cursorPosition() const override;
    void setOnScreensChanged(std::function<void()> callback) override;

private:
    void watchScreen(QScreen* screen);
    void notify();

    std::function<void()> onScreensChanged_;
    bool watching_ = false;
};

} // namespace vellumbox
