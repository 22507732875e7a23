// SPDX-License-Identifier: GPL-3.0-or-later
#include "BandCut.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace vellumbox {

namespace {

// Pictures lower than this are read in one piece: starting a second reader costs more than
// it saves on a line or two.
constexpr int minimumBandedHeight = 200;
// Rows without ink that must separate the halves, so that no line is cut through.
constexpr int minimumCutGap = 4;

} // namespace

std::optional<int> bandCut(const QImage& prepared)
{
    const int height = prepared.height();
    if (height < minimumBandedHeight)
        return std::nullopt;
    std::vector<bool> ink(static_cast<size_t>(height));
    int inkRows = 0;
    for (int y = 0; y < height; ++y) {
        const uchar* row = prepared.constScanLine(y);
        ink[static_cast<size_t>(y)] =
            std::any_of(row, row + prepared.width(), [](uchar v) { return v < 128; });
        inkRows += ink[static_cast<size_t>(y)] ? 1 : 0;
    }
    std::optional<int> best;
    int bestImbalance = inkRows;
    int above = 0;
    int gap = 0;
    for (int y = 0; y < height; ++y) {
        if (ink[static_cast<size_t>(y)]) {
            ++above;
            gap = 0;
            continue;
        }
        ++gap;
        // The middle of a long enough gap, with text on both sides.
        if (gap >= minimumCutGap && above > 0 && above < inkRows) {
            const int imbalance = std::abs(inkRows - 2 * above);
            if (imbalance < bestImbalance) {
                bestImbalance = imbalance;
                best = y - gap / 2;
            }
        }
    }
    // A split that leaves one half almost empty saves nothing.
    if (best && bestImbalance > inkRows / 2)
        return std::nullopt;
    return best;
}

} // namespace vellumbox
