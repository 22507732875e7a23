// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace vellumbox {

enum class AlertStyle { Informational, Warning };

struct Alert {
    AlertStyle style = AlertStyle::Informational;
    QString message;
    QString informativeText;
    // In order, the affirmative one first; empty means a single "OK".
    QStringList buttons;
};

// The answer for the first button; the second is one more, and so on.
inline constexpr int alertFirstButtonReturn = 1000;

class AlertPresenter {
public:
    virtual ~AlertPresenter() = default;
    // Runs the alert modally and answers which button ended it.
    virtual int runModal(const Alert& alert) = 0;
};

} // namespace vellumbox
