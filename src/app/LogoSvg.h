// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace vellumbox {

// The application icon as SVG: the logo's cards, in white, on a blue rounded tile, from the
// same geometry that draws the logo on screen.
QString logoSvg();

} // namespace vellumbox
