// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace vellumbox {

// The logo, the name, the version and how Vellumbox is used.
class AboutWindow : public QWidget {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* parent = nullptr);

    static QString helpText();
};

} // namespace vellumbox
