// SPDX-License-Identifier: GPL-3.0-or-later
#include "ImagePreparation.h"

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace vellumbox {

namespace {

using Gray = std::vector<uint8_t>;

// Minimum or maximum over a sliding window along one axis (van Herk / Gil-Werman): the line is
// padded with a neutral value so that every window is whole, and each is then the meeting of
// a block's suffix and the next block's prefix.
void slidingExtreme(const uint8_t* in, uint8_t* out, int count, int stride, int radius, bool max)
{
    const size_t window = 2 * static_cast<size_t>(radius) + 1;
    const size_t padded = static_cast<size_t>(count) + window - 1;
    const uint8_t neutral = max ? 0 : 255;
    const auto pick = [max](uint8_t a, uint8_t b) { return max ? std::max(a, b) : std::min(a, b); };
    const auto at = [&](size_t j) {
        const size_t r = static_cast<size_t>(radius);
        return j < r || j >= r + static_cast<size_t>(count)
                   ? neutral
                   : in[static_cast<ptrdiff_t>(j - r) * stride];
    };
    std::vector<uint8_t> forward(padded);
    std::vector<uint8_t> backward(padded);
    for (size_t j = 0; j < padded; ++j)
        forward[j] = j % window == 0 ? at(j) : pick(forward[j - 1], at(j));
    for (size_t j = padded; j-- > 0;)
        backward[j] =
            (j % window == window - 1 || j == padded - 1) ? at(j) : pick(backward[j + 1], at(j));
    for (int i = 0; i < count; ++i) {
        const size_t j = static_cast<size_t>(i);
        out[static_cast<ptrdiff_t>(i) * stride] = pick(backward[j], forward[j + window - 1]);
    }
}

Gray localExtreme(const Gray& in, int width, int height, int radius, bool max)
{
    Gray rows(in.size());
    Gray out(in.size());
    for (int y = 0; y < height; ++y) {
        const size_t row = static_cast<size_t>(y) * static_cast<size_t>(width);
        slidingExtreme(in.data() + row, rows.data() + row, width, 1, radius, max);
    }
    for (int x = 0; x < width; ++x)
        slidingExtreme(rows.data() + x, out.data() + x, height, width, radius, max);
    return out;
}

Gray localMean(const Gray& in, int width, int height, int radius)
{
    // Summed-area table; 64 bits so that any image below the size limit fits.
    const size_t w1 = static_cast<size_t>(width) + 1;
    std::vector<int64_t> sum(w1 * (static_cast<size_t>(height) + 1), 0);
    for (int y = 0; y < height; ++y) {
        int64_t row = 0;
        for (int x = 0; x < width; ++x) {
            row += in[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
            sum[(static_cast<size_t>(y) + 1) * w1 + static_cast<size_t>(x) + 1] =
                sum[static_cast<size_t>(y) * w1 + static_cast<size_t>(x) + 1] + row;
        }
    }
    Gray out(in.size());
    for (int y = 0; y < height; ++y) {
        const size_t y0 = static_cast<size_t>(std::max(0, y - radius));
        const size_t y1 = static_cast<size_t>(std::min(height, y + radius + 1));
        for (int x = 0; x < width; ++x) {
            const size_t x0 = static_cast<size_t>(std::max(0, x - radius));
            const size_t x1 = static_cast<size_t>(std::min(width, x + radius + 1));
            const int64_t total =
                sum[y1 * w1 + x1] - sum[y0 * w1 + x1] - sum[y1 * w1 + x0] + sum[y0 * w1 + x0];
            out[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                static_cast<uint8_t>(total / static_cast<int64_t>((x1 - x0) * (y1 - y0)));
        }
    }
    return out;
}

// Minimum or maximum over the pixel and its four neighbours.
Gray crossExtreme(const Gray& in, int width, int height, bool max)
{
    Gray out(in.size());
    const auto pick = [max](uint8_t a, uint8_t b) { return max ? std::max(a, b) : std::min(a, b); };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const size_t i =
                static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
            uint8_t v = in[i];
            if (x > 0)
                v = pick(v, in[i - 1]);
            if (x + 1 < width)
                v = pick(v, in[i + 1]);
            if (y > 0)
                v = pick(v, in[i - static_cast<size_t>(width)]);
            if (y + 1 < height)
                v = pick(v, in[i + static_cast<size_t>(width)]);
            out[i] = v;
        }
    }
    return out;
}

// Over an octagon of the given radius, built from alternating squares and crosses: round
// enough to fit into the rounded ends of buttons and labels, where a square would leave
// slivers that read as brackets.
Gray octagonExtreme(Gray in, int width, int height, int radius, bool max)
{
    for (int step = 0; step < radius; ++step)
        in = step % 2 == 0 ? localExtreme(in, width, height, 1, max)
                           : crossExtreme(in, width, height, max);
    return in;
}

Gray closing(const Gray& in, int width, int height, int radius)
{
    return octagonExtreme(octagonExtreme(in, width, height, radius, true), width, height, radius,
                          false);
}

Gray opening(const Gray& in, int width, int height, int radius)
{
    return octagonExtreme(octagonExtreme(in, width, height, radius, false), width, height, radius,
                          true);
}

// Around a pixel: how far to look for its background, and the widest stroke taken as text.
constexpr int groundRadius = 8;
constexpr int strokeRadius = 4;
constexpr int flatContrast = 20;
// Neighbours closer than this in shade are one stretch of colour; a stretch larger than any
// letter's strokes is ground, whatever the local contrast made of it.
constexpr int sameShade = 6;
constexpr int largestStroke = 400;
// Black text on white is never ground: at large sizes its strokes are stretches that large.
constexpr int strongContrast = 200;
// A dark stretch wider than a label is a bar, such as a selected row, whose light text the
// contrast shows as its negative: that is read, while nothing would be left of it as ground.
constexpr int widestLabel = 120;

// What a pixel of the prepared picture is: none, or a stroke taken as dark on light or as
// light on dark.
constexpr uint8_t darkStroke = 1;
constexpr uint8_t lightStroke = 2;

// Turns white the strokes that belong to a stretch of one shade larger than any letter's
// strokes: the page seen in a gap between two dark labels, or a label's own colour beside its
// text.

void whitenOpenStretches(const Gray& pixels, int width, int height,
                         const std::vector<uint8_t>& stroke, QImage& out)
{
    std::vector<uint8_t> seen(pixels.size(), 0);
    std::vector<size_t> stack;
    std::vector<size_t> strokes; // of the stretch being followed
    for (size_t start = 0; start < pixels.size(); ++start) {
        if (stroke[start] == 0 || seen[start] != 0)
            continue;
        int area = 0;
        int left = width;
        int right = -1;
        strokes.clear();
        seen[start] = 1;
        stack.assign(1, start);
        while (!stack.empty()) {
            const size_t at = stack.back();
            stack.pop_back();
            ++area;
            if (stroke[at] != 0)
                strokes.push_back(at);
            const int x = static_cast<int>(at % static_cast<size_t>(width));
            const int y = static_cast<int>(at / static_cast<size_t>(width));
            left = std::min(left, x);
            right = std::max(right, x);
            const auto visit = [&](int nx, int ny) {
                if (nx < 0 || ny < 0 || nx >= width || ny >= height)
                    return;
                const size_t n =
                    static_cast<size_t>(ny) * static_cast<size_t>(width) + static_cast<size_t>(nx);
                if (seen[n] == 0 && std::abs(pixels[n] - pixels[at]) <= sameShade) {
                    seen[n] = 1;
                    stack.push_back(n);
                }
            };
            visit(x - 1, y);
            visit(x + 1, y);
            visit(x, y - 1);
            visit(x, y + 1);
        }
        if (area <= largestStroke)
            continue;
        const bool bar = right - left + 1 > widestLabel;
        for (const size_t i : strokes) {
            if (!(bar && stroke[i] == darkStroke))
                out.scanLine(static_cast<int>(
                    i / static_cast<size_t>(width)))[i % static_cast<size_t>(width)] = 255;
        }
    }
}

} // namespace

QImage readableGray(const QImage& image)
{
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    const int width = gray.width();
    const int height = gray.height();
    Gray pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        std::copy_n(gray.constScanLine(y), width,
                    pixels.begin() + static_cast<ptrdiff_t>(y) * width);
    const Gray low = localExtreme(pixels, width, height, groundRadius, false);
    const Gray high = localExtreme(pixels, width, height, groundRadius, true);
    const Gray mean = localMean(pixels, width, height, groundRadius);
    const Gray closed = closing(pixels, width, height, strokeRadius);
    const Gray opened = opening(pixels, width, height, strokeRadius);
    std::vector<uint8_t> stroke(pixels.size(), 0);
    QImage out(width, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y) {
        uchar* line = out.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const size_t i =
                static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
            const int range = high[i] - low[i];
            if (range < flatContrast) {
                line[x] = 255;
                continue;
            }
            const bool lightGround = 2 * mean[i] >= low[i] + high[i];
            const int ink = lightGround ? closed[i] - pixels[i] : pixels[i] - opened[i];
            line[x] = static_cast<uchar>(255 - std::min(255, ink * 255 / range));
            if (line[x] < 255 && range < strongContrast)
                stroke[i] = lightGround ? darkStroke : lightStroke;
        }
    }
    // A stroke that is part of a large stretch of one shade is ground.
    whitenOpenStretches(pixels, width, height, stroke, out);
    return out;
}

void eraseLongRules(QImage& prepared)
{
    // Longer than any stroke of a letter at the sizes read here, and at most three rows thick:
    // where ink runs on further up or down, a glyph crosses the rule.
    constexpr int longRule = 40;
    constexpr int thickest = 3;
    constexpr int minimumCrossings = 4;
    const int width = prepared.width();
    const int height = prepared.height();
    const auto inked = [&prepared](int x, int y) { return prepared.constScanLine(y)[x] < 128; };
    const auto thickness = [&](int x, int y) {
        int top = y;
        int bottom = y;
        while (top > 0 && y - top < thickest && inked(x, top - 1))
            --top;
        while (bottom + 1 < height && bottom - top < thickest && inked(x, bottom + 1))
            ++bottom;
        return bottom - top + 1;
    };
    std::vector<std::pair<int, int>> erased; // cleared once every row is looked at
    for (int y = 0; y < height; ++y) {
        int start = -1;
        for (int x = 0; x <= width; ++x) {
            const bool on = x < width && inked(x, y);
            if (on && start < 0)
                start = x;
            if (on || start < 0)
                continue;
            if (x - start >= longRule) {
                // Only a rule through text: glyphs cross it again and again, while a frame's
                // edge or a separator meets a stroke at its corners at most.
                std::vector<int> thin;
                int crossings = 0;
                bool crossing = false;
                for (int i = start; i < x; ++i) {
                    const bool stroke = thickness(i, y) > thickest;
                    crossings += stroke && !crossing ? 1 : 0;
                    crossing = stroke;
                    if (!stroke)
                        thin.push_back(i);
                }
                if (crossings >= minimumCrossings)
                    for (const int i : thin)
                        erased.emplace_back(y, i);
            }
            start = -1;
        }
    }
    for (const auto& [y, x] : erased)
        prepared.scanLine(y)[x] = 255;
}

} // namespace vellumbox
