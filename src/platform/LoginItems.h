// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace vellumbox {

// Makes the application start with the desktop session.
class LoginItems {
public:
    virtual ~LoginItems() = default;
    // True once registered; otherwise false with a reason a person can read.
    virtual bool registerMainApp(QString* error) = 0;
};

} // namespace vellumbox
