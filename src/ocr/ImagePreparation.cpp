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

// Down the columns a whole row at a time, the same blocks as slidingExtreme: rows are in
// memory one after the other, columns are not.
void columnExtreme(const Gray& in, Gray& out, int width, int height, int radius, bool max)
{
    const auto w = static_cast<size_t>(width);
    const size_t window = 2 * static_cast<size_t>(radius) + 1;
    const size_t padded = static_cast<size_t>(height) + window - 1;
    const uint8_t neutral = max ? 0 : 255;
    const auto row = [&](size_t j) -> const uint8_t* {
        const auto r = static_cast<size_t>(radius);
        return j < r || j >= r + static_cast<size_t>(height) ? nullptr : in.data() + (j - r) * w;
    };
    const auto combine = [max, w](uint8_t* into, const uint8_t* a, const uint8_t* b) {
        for (size_t x = 0; x < w; ++x)
            into[x] = max ? std::max(a[x], b[x]) : std::min(a[x], b[x]);
    };
    Gray blank(w, neutral);
    Gray forward(padded * w);
    Gray backward(padded * w);
    for (size_t j = 0; j < padded; ++j) {
        const uint8_t* at = row(j) ? row(j) : blank.data();
        uint8_t* f = forward.data() + j * w;
        if (j % window == 0)
            std::copy_n(at, w, f);
        else
            combine(f, f - w, at);
    }
    for (size_t j = padded; j-- > 0;) {
        const uint8_t* at = row(j) ? row(j) : blank.data();
        uint8_t* b = backward.data() + j * w;
        if (j % window == window - 1 || j == padded - 1)
            std::copy_n(at, w, b);
        else
            combine(b, b + w, at);
    }
    for (size_t i = 0; i < static_cast<size_t>(height); ++i)
        combine(out.data() + i * w, backward.data() + i * w, forward.data() + (i + window - 1) * w);
}

// Each pixel with the one above and the one below, a whole row at a time.
void upAndDown(const Gray& in, Gray& out, int width, int height, bool max)
{
    const auto w = static_cast<size_t>(width);
    const auto pick = [max](uint8_t a, uint8_t b) { return max ? std::max(a, b) : std::min(a, b); };
    for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
        const uint8_t* here = in.data() + y * w;
        const uint8_t* up = y > 0 ? here - w : here;
        const uint8_t* down = y + 1 < static_cast<size_t>(height) ? here + w : here;
        uint8_t* to = out.data() + y * w;
        for (size_t x = 0; x < w; ++x)
            to[x] = pick(pick(up[x], here[x]), down[x]);
    }
}

// Over the 3 x 3 square: the neighbours straight, as most of the preparation's steps are.
Gray squareExtreme(const Gray& in, int width, int height, bool max)
{
    const auto w = static_cast<size_t>(width);
    const auto pick = [max](uint8_t a, uint8_t b) { return max ? std::max(a, b) : std::min(a, b); };
    Gray rows(in.size());
    for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
        const uint8_t* from = in.data() + y * w;
        uint8_t* to = rows.data() + y * w;
        for (size_t x = 0; x < w; ++x) {
            uint8_t v = from[x];
            if (x > 0)
                v = pick(v, from[x - 1]);
            if (x + 1 < w)
                v = pick(v, from[x + 1]);
            to[x] = v;
        }
    }
    Gray out(in.size());
    upAndDown(rows, out, width, height, max);
    return out;
}

Gray localExtreme(const Gray& in, int width, int height, int radius, bool max)
{
    if (radius == 1)
        return squareExtreme(in, width, height, max);
    Gray rows(in.size());
    Gray out(in.size());
    for (int y = 0; y < height; ++y) {
        const size_t row = static_cast<size_t>(y) * static_cast<size_t>(width);
        slidingExtreme(in.data() + row, rows.data() + row, width, 1, radius, max);
    }
    columnExtreme(rows, out, width, height, radius, max);
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
    const auto w = static_cast<size_t>(width);
    const auto pick = [max](uint8_t a, uint8_t b) { return max ? std::max(a, b) : std::min(a, b); };
    Gray out(in.size());
    upAndDown(in, out, width, height, max);
    for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
        const uint8_t* here = in.data() + y * w;
        uint8_t* to = out.data() + y * w;
        for (size_t x = 0; x < w; ++x) {
            if (x > 0)
                to[x] = pick(to[x], here[x - 1]);
            if (x + 1 < w)
                to[x] = pick(to[x], here[x + 1]);
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

// A stretch of one shade: neighbours (up, down, left, right) within sameShade of each other.
struct Stretch {
    std::vector<uint32_t> pixels; // pictures hold fewer than 2^32 pixels
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
};

// Follows the stretch from `start`, marking its pixels in `seen`; `stack` is room to work in.
void followStretch(const Gray& pixels, int width, int height, size_t start,
                   std::vector<uint8_t>& seen, std::vector<uint32_t>& stack, Stretch& stretch)
{
    stretch.pixels.clear();
    stretch.left = width;
    stretch.right = -1;
    stretch.top = height;
    stretch.bottom = -1;
    seen[start] = 1;
    stack.assign(1, static_cast<uint32_t>(start));
    while (!stack.empty()) {
        const size_t at = stack.back();
        stack.pop_back();
        stretch.pixels.push_back(static_cast<uint32_t>(at));
        const int x = static_cast<int>(at % static_cast<size_t>(width));
        const int y = static_cast<int>(at / static_cast<size_t>(width));
        stretch.left = std::min(stretch.left, x);
        stretch.right = std::max(stretch.right, x);
        stretch.top = std::min(stretch.top, y);
        stretch.bottom = std::max(stretch.bottom, y);
        const auto visit = [&](int nx, int ny) {
            if (nx < 0 || ny < 0 || nx >= width || ny >= height)
                return;
            const size_t n =
                static_cast<size_t>(ny) * static_cast<size_t>(width) + static_cast<size_t>(nx);
            if (seen[n] == 0 && std::abs(pixels[n] - pixels[at]) <= sameShade) {
                seen[n] = 1;
                stack.push_back(static_cast<uint32_t>(n));
            }
        };
        visit(x - 1, y);
        visit(x + 1, y);
        visit(x, y - 1);
        visit(x, y + 1);
    }
}

// Turns white the strokes that belong to a stretch of one shade larger than any letter's
// strokes: the page seen in a gap between two dark labels, or a label's own colour beside its
// text.

void whitenOpenStretches(const Gray& pixels, int width, int height,
                         const std::vector<uint8_t>& stroke, QImage& out)
{
    std::vector<uint8_t> seen(pixels.size(), 0);
    std::vector<uint32_t> stack;
    Stretch stretch;
    for (size_t start = 0; start < pixels.size(); ++start) {
        if (stroke[start] == 0 || seen[start] != 0)
            continue;
        followStretch(pixels, width, height, start, seen, stack, stretch);
        if (static_cast<int>(stretch.pixels.size()) <= largestStroke)
            continue;
        const bool bar = stretch.right - stretch.left + 1 > widestLabel;
        for (const uint32_t i : stretch.pixels) {
            if (stroke[i] != 0 && !(bar && stroke[i] == darkStroke))
                out.scanLine(static_cast<int>(
                    i / static_cast<uint32_t>(width)))[i % static_cast<uint32_t>(width)] = 255;
        }
    }
}

// A bar is a stretch of one shade at least this large, holding text at least this much lighter.
constexpr int smallestBar = 200;
constexpr int barContrast = 40;
void turnOverLightOnBars(Gray& pixels, int width, int height)
{
    struct Bar {
        long long spanArea = 0;
        int top = 0;
        std::vector<std::pair<int, int>> spans; // per row from top: first and last column
        bool turn = false;
        int shade = 0;
        int lightest = 0;
    };
    std::vector<uint8_t> seen(pixels.size(), 0);
    std::vector<uint32_t> stack;
    Stretch stretch;
    const std::vector<uint32_t>& members = stretch.pixels;
    std::vector<Bar> bars;
    const auto index = [width](int x, int y) {
        return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
    };
    for (size_t start = 0; start < pixels.size(); ++start) {
        if (seen[start] != 0)
            continue;
        followStretch(pixels, width, height, start, seen, stack, stretch);
        const int top = stretch.top;
        const int bottom = stretch.bottom;
        const int left = stretch.left;
        const int right = stretch.right;
        if (static_cast<int>(members.size()) < smallestBar || bottom - top < 5 || right - left < 23)
            continue;
        Bar bar;
        const auto area = static_cast<long long>(members.size());
        bar.top = top;
        bar.spans.assign(static_cast<size_t>(bottom) - static_cast<size_t>(top) + 1, {width, -1});
        long long shade = 0;
        std::vector<int> rowCount(bar.spans.size(), 0);
        for (const size_t m : members) {
            const int x = static_cast<int>(m % static_cast<size_t>(width));
            const size_t row = m / static_cast<size_t>(width) - static_cast<size_t>(top);
            ++rowCount[row];
            auto& span = bar.spans[row];
            span.first = std::min(span.first, x);
            span.second = std::max(span.second, x);
            shade += pixels[m];
            seen[m] = 2;
        }
        shade /= area;
        // What the bar holds: lighter or darker than it, and how much of it that is.
        long long& spanArea = bar.spanArea;
        int lighter = 0;
        int darker = 0;
        for (size_t r = 0; r < bar.spans.size(); ++r) {
            const auto [from, to] = bar.spans[r];
            spanArea += to - from + 1;
            for (int x = from; x <= to; ++x) {
                const size_t i = index(x, top + static_cast<int>(r));
                if (seen[i] == 2)
                    continue;
                lighter += pixels[i] >= shade + barContrast ? 1 : 0;
                bar.lightest = std::max<int>(bar.lightest, pixels[i]);
                darker += pixels[i] + barContrast <= shade ? 1 : 0;
            }
        }
        // The widest squares of the bar itself and of what is lighter on it: the ground around
        // text is wide and the text's strokes thin, where a letter, even a large bold one, is all
        // thin strokes, and a page holding a lighter card or button holds no text.
        int widestSolid = 0;
        int widestLight = 0;
        const size_t across = static_cast<size_t>(right) - static_cast<size_t>(left) + 2;
        std::vector<int> solidUp(across, 0);
        std::vector<int> solidRow(across, 0);
        std::vector<int> lightUp(across, 0);
        std::vector<int> lightRow(across, 0);
        for (int y = top; y <= bottom; ++y) {
            const auto [from, to] = bar.spans[static_cast<size_t>(y - top)];
            for (int x = left; x <= right; ++x) {
                const size_t i = index(x, y);
                const auto k = static_cast<size_t>(x) - static_cast<size_t>(left) + 1;
                const auto grow = [k](const std::vector<int>& up, const std::vector<int>& row) {
                    return 1 + std::min({up[k], up[k - 1], row[k - 1]});
                };
                solidRow[k] = seen[i] == 2 ? grow(solidUp, solidRow) : 0;
                lightRow[k] =
                    seen[i] != 2 && x >= from && x <= to && pixels[i] >= shade + barContrast
                        ? grow(lightUp, lightRow)
                        : 0;
                widestSolid = std::max(widestSolid, solidRow[k]);
                widestLight = std::max(widestLight, lightRow[k]);
            }
            std::swap(solidUp, solidRow);
            std::swap(lightUp, lightRow);
        }
        for (const size_t m : members)
            seen[m] = 1;
        bar.shade = static_cast<int>(shade);
        // Solid at the top and at the bottom, and mostly bar: the strokes of a large letter, or
        // of letters run into a rule, enclose their counters but are no ground.
        const auto solid = [&bar, &rowCount](size_t row) {
            const auto [from, to] = bar.spans[row];
            return 5 * rowCount[row] >= 4 * (to - from + 1);
        };
        const size_t rows = bar.spans.size();
        const bool closed = (solid(0) || solid(1) || solid(2)) &&
                            (solid(rows - 1) || solid(rows - 2) || solid(rows - 3));
        constexpr int widestStroke = 16;
        const bool ground =
            4 * widestSolid >= static_cast<int>(rows) &&
            widestLight <= std::max(4, std::min(widestStroke, static_cast<int>(rows) / 4));
        bar.turn = closed && ground && 20 * area >= 11 * spanArea && lighter >= 20 &&
                   lighter >= 3 * darker;
        bars.push_back(std::move(bar));
    }
    // Most pictures hold no such bar: nothing more to do.
    if (std::ranges::none_of(bars, &Bar::turn))
        return;
    // The smaller bar lies on the larger one and decides for what it holds. Its rim, where it
    // blends into what lies around it, goes with it.
    std::ranges::sort(bars, std::greater{}, &Bar::spanArea);
    const size_t count = std::min<size_t>(bars.size(), UINT16_MAX - 1);
    constexpr int rimWidth = 2;
    std::vector<uint16_t> owner(pixels.size(), 0);
    std::vector<uint16_t> rimOf(pixels.size(), 0);
    // The bar each one lies on, if any: the stroke of a large letter is a stretch of its own,
    // and goes with the bar whose text it is.
    std::vector<uint16_t> parent(count, 0);
    for (size_t b = 0; b < count; ++b) {
        const Bar& bar = bars[b];
        const auto mark = static_cast<uint16_t>(b + 1);
        const int rows = static_cast<int>(bar.spans.size());
        for (int r = -rimWidth; r < rows + rimWidth; ++r) {
            const int y = bar.top + r;
            if (y < 0 || y >= height)
                continue;
            // The rim: as far as the spans of the rows around reach, and a little further.
            int rimFrom = width;
            int rimTo = -1;
            for (int n = std::max(0, r - rimWidth); n <= std::min(rows - 1, r + rimWidth); ++n) {
                const auto [first, last] = bar.spans[static_cast<size_t>(n)];
                rimFrom = std::min(rimFrom, first - rimWidth);
                rimTo = std::max(rimTo, last + rimWidth);
            }
            const bool inside = r >= 0 && r < rows;
            const auto [from, to] =
                inside ? bar.spans[static_cast<size_t>(r)] : std::pair<int, int>{width, -1};
            for (int x = std::max(0, rimFrom); x <= std::min(width - 1, rimTo); ++x) {
                const size_t i = index(x, y);
                if (x >= from && x <= to) {
                    if (parent[b] == 0)
                        parent[b] = owner[i];
                    owner[i] = mark;
                } else if (bar.turn)
                    rimOf[i] = mark;
            }
        }
    }
    // What lies around a bar turned over is the commonest shade of its rim, as the bar under
    // it shows that shade: the bar takes it, and its text the opposite one.
    std::vector<std::vector<int>> rimShades(count);
    std::vector<std::vector<uint16_t>> under(count);
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (rimOf[i] == 0)
            continue;
        const size_t b = rimOf[i] - 1U;
        rimShades[b].resize(256, 0);
        under[b].resize(256, 0);
        ++rimShades[b][pixels[i]];
        under[b][pixels[i]] = owner[i];
    }
    std::vector<int> outside(count, 255); // as drawn
    std::vector<int> ground(count, 255);  // as it turns out
    const auto turned = [&](size_t b, int v) {
        const Bar& bar = bars[b];
        const int ink = ground[b] >= 128 ? 0 : 255;
        const int range = std::max(1, bar.lightest - bar.shade);
        const int lift = std::clamp(v - bar.shade, 0, range);
        return ground[b] + (ink - ground[b]) * lift / range;
    };
    for (size_t b = 0; b < count; ++b) {
        if (rimShades[b].empty())
            continue;
        // Beyond a border of a shade near the bar's own, such as a selection's frame.
        std::vector<int> beyond = rimShades[b];
        for (int v = std::max(0, bars[b].shade - barContrast + 1);
             v < std::min(256, bars[b].shade + barContrast); ++v)
            beyond[static_cast<size_t>(v)] = 0;
        const std::vector<int>& shades =
            std::ranges::any_of(beyond, [](int n) { return n > 0; }) ? beyond : rimShades[b];
        outside[b] = static_cast<int>(std::ranges::max_element(shades) - shades.begin());
        const size_t below = under[b][static_cast<size_t>(outside[b])];
        // Bars are in order from the largest: the one under this one is settled.
        ground[b] = below > 0 && below - 1 < b && bars[below - 1].turn
                        ? turned(below - 1, outside[b])
                        : outside[b];
    }
    for (size_t i = 0; i < pixels.size(); ++i) {
        const int v = pixels[i];
        if (rimOf[i] != 0) {
            // The blend between the bar and what lies around it; text beside it, darker or
            // lighter than both, is left to the bar it lies on.
            const size_t b = rimOf[i] - 1U;
            if (v >= std::min(bars[b].shade, outside[b]) - sameShade &&
                v <= std::max(bars[b].shade, outside[b]) + sameShade) {
                pixels[i] = static_cast<uint8_t>(ground[b]);
                continue;
            }
        }
        if (owner[i] == 0)
            continue;
        const size_t b = owner[i] - 1U;
        if (bars[b].turn) {
            pixels[i] = static_cast<uint8_t>(turned(b, v));
        } else if (const size_t on = parent[b]; on > 0 && bars[on - 1].turn &&
                                                bars[b].shade >= bars[on - 1].shade + barContrast) {
            pixels[i] = static_cast<uint8_t>(turned(on - 1, v));
        }
    }
}

Gray pixelsOf(const QImage& image)
{
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    const int width = gray.width();
    Gray pixels(static_cast<size_t>(width) * static_cast<size_t>(gray.height()));
    for (int y = 0; y < gray.height(); ++y)
        std::copy_n(gray.constScanLine(y), width,
                    pixels.begin() + static_cast<ptrdiff_t>(y) * width);
    return pixels;
}

} // namespace

QImage barsTurnedOver(const QImage& image)
{
    Gray pixels = pixelsOf(image);
    turnOverLightOnBars(pixels, image.width(), image.height());
    QImage out(image.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < out.height(); ++y)
        std::copy_n(pixels.begin() + static_cast<ptrdiff_t>(y) * out.width(), out.width(),
                    out.scanLine(y));
    return out;
}

QImage readableGray(const QImage& image)
{
    return readableStrokes(barsTurnedOver(image));
}

QImage readableStrokesAtHalfSize(const QImage& turned)
{
    return readableStrokes(
        turned.scaled(turned.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

QImage readableStrokes(const QImage& turned)
{
    const int width = turned.width();
    const int height = turned.height();
    const Gray pixels = pixelsOf(turned);
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
