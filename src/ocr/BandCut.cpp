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

// Gutters narrower than this are spaces between words, whatever the type.
constexpr int minimumGutter = 16;
constexpr int maximumDepth = 6;

bool inked(uchar v)
{
    return v < 128;
}

// Runs [first, last] of consecutive true entries.
std::vector<std::pair<int, int>> runs(const std::vector<bool>& marks)
{
    std::vector<std::pair<int, int>> found;
    for (int i = 0; i < static_cast<int>(marks.size()); ++i) {
        if (!marks[static_cast<size_t>(i)])
            continue;
        if (!found.empty() && found.back().second == i - 1)
            found.back().second = i;
        else
            found.emplace_back(i, i);
    }
    return found;
}

std::vector<bool> inkedRows(const QImage& prepared, const QRect& area)
{
    std::vector<bool> rows(static_cast<size_t>(area.height()), false);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar* row = prepared.constScanLine(y);
        rows[static_cast<size_t>(y - area.top())] =
            std::any_of(row + area.left(), row + area.right() + 1, inked);
    }
    return rows;
}

std::vector<bool> inkedColumns(const QImage& prepared, const QRect& area)
{
    std::vector<bool> columns(static_cast<size_t>(area.width()), false);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar* row = prepared.constScanLine(y);
        for (int x = area.left(); x <= area.right(); ++x)
            if (inked(row[x]))
                columns[static_cast<size_t>(x - area.left())] = true;
    }
    return columns;
}

// Runs of `marks` closer than `gap` joined; the cuts between them go through the middle of
// what separates them, so the parts cover the whole span.
std::vector<std::pair<int, int>> parts(const std::vector<bool>& marks, int gap)
{
    std::vector<std::pair<int, int>> joined;
    for (const auto& run : runs(marks)) {
        if (!joined.empty() && run.first - joined.back().second - 1 < gap)
            joined.back().second = run.second;
        else
            joined.push_back(run);
    }
    std::vector<std::pair<int, int>> covering;
    for (size_t i = 0; i < joined.size(); ++i) {
        const int first = i == 0 ? 0 : (joined[i - 1].second + joined[i].first + 1) / 2;
        const int last = i + 1 == joined.size() ? static_cast<int>(marks.size()) - 1
                                                : (joined[i].second + joined[i + 1].first) / 2;
        covering.emplace_back(first, last);
    }
    return covering;
}

void collectBlocks(const QImage& glyphs, const QRect& area, int gutter, int depth,
                   QList<QRect>& blocks)
{
    if (depth < maximumDepth) {
        // Side by side first: columns of glyphs apart by a gutter over the whole area.
        const auto columns = parts(inkedColumns(glyphs, area), gutter);
        if (columns.size() > 1) {
            for (const auto& [first, last] : columns)
                collectBlocks(
                    glyphs, QRect(area.left() + first, area.top(), last - first + 1, area.height()),
                    gutter, depth + 1, blocks);
            return;
        }
        // Otherwise sections one above the other: those that split further stand alone, next
        // to those whose gutters line up with theirs; the others stay together.
        const auto bands = parts(inkedRows(glyphs, area), gutter / 2);
        if (bands.size() > 1) {
            QRect together;
            QRect aligned;
            bool split = false;
            const auto flush = [&](QRect& group, bool again) {
                if (group.isNull())
                    return;
                if (again)
                    collectBlocks(glyphs, group, gutter, depth + 1, blocks);
                else
                    blocks.append(group);
                group = QRect();
            };
            for (const auto& [first, last] : bands) {
                const QRect band(area.left(), area.top() + first, area.width(), last - first + 1);
                QList<QRect> inside;
                collectBlocks(glyphs, band, gutter, depth + 1, inside);
                if (inside.size() > 1) {
                    flush(together, false);
                    split = true;
                    if (aligned.isNull() ||
                        parts(inkedColumns(glyphs, aligned | band), gutter).size() > 1) {
                        aligned |= band;
                        continue;
                    }
                    flush(aligned, true);
                    aligned = band;
                } else {
                    flush(aligned, true);
                    together |= band;
                }
            }
            if (split) {
                flush(aligned, true);
                flush(together, false);
                return;
            }
        }
    }
    blocks.append(area);
}

} // namespace

QList<QRect> sideBySideBlocks(const QImage& prepared)
{
    // The usual height of a line: the median run of inked rows.
    std::vector<int> heights;
    for (const auto& [first, last] : runs(inkedRows(prepared, prepared.rect())))
        heights.push_back(last - first + 1);
    if (heights.empty())
        return {prepared.rect()};
    std::ranges::nth_element(heights, heights.begin() + static_cast<long>(heights.size() / 2));
    const int gutter = std::max(minimumGutter, 2 * heights[heights.size() / 2]);
    QList<QRect> blocks;
    collectBlocks(prepared, prepared.rect(), gutter, 0, blocks);
    // Blocks that only separate others hold nothing to read.
    blocks.removeIf([&prepared](const QRect& block) {
        return std::ranges::none_of(inkedRows(prepared, block), std::identity{});
    });
    return blocks.isEmpty() ? QList<QRect>{prepared.rect()} : blocks;
}

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
