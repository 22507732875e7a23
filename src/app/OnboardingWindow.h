// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPushButton>
#include <QWidget>

namespace vellumbox {

inline constexpr int onboardingWindowWidth = 460;
inline constexpr int onboardingWindowHeight = 420;

// The first-run window itself: reports its closing and moves when its background is dragged.
class OnboardingWindow : public QWidget {
    Q_OBJECT
public:
    // Lays out the fixed parts: the logo, the titles and the explanation.
    OnboardingWindow();

    // Return finishes the first run once access is granted.
    QPushButton* returnButton = nullptr;

Q_SIGNALS:
    void willClose();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace vellumbox
