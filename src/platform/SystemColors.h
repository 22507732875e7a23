// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>

namespace vellumbox {

// The accent blue of selection and screenshot borders.
inline QColor systemBlue()
{
    return QColor(0, 122, 255);
}

} // namespace vellumbox
