// SPDX-License-Identifier: GPL-3.0-or-later
#include "InkLines.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace vellumbox {

namespace {

// Rows lower than this are dots, rules or underlines; glyphs taller, frames or pictures. Lower
// pieces join rows, since faint letters may come apart.
constexpr int minimumLineHeight = 5;
constexpr int minimumPieceHeight = 2;
constexpr int maximumGlyphHeight = 120;
// A separator is a stroke many times taller than it is wide; the narrowest glyph ("l", "1")
// is about eight times.
constexpr int separatorAspect = 12;
// Rows this tall on the picture prepared at half size are large type.
constexpr int largeHalfHeight = 11;

struct Blob {
    QRect box;
    int pixels = 0;
    // Pixels inked with their right, lower and lower right neighbours: none in a drawing of
    // one-pixel lines, some in every stroke of type large enough to be two pixels wide.
    int squares = 0;
};

std::vector<Blob> glyphBlobs(const QImage& prepared)
{
    const int width = prepared.width();
    const int height = prepared.height();
    std::vector<int> label(static_cast<size_t>(width) * static_cast<size_t>(height), -1);
    std::vector<Blob> blobs;
    std::vector<int> stack;
    const auto inked = [&prepared](int x, int y) { return prepared.constScanLine(y)[x] < 128; };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const size_t start =
                static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
            if (label[start] >= 0 || !inked(x, y))
                continue;
            const int id = static_cast<int>(blobs.size());
            QRect box(x, y, 1, 1);
            int pixels = 0;
            int squares = 0;
            label[start] = id;
            stack.assign(1, static_cast<int>(start));
            while (!stack.empty()) {
                const int at = stack.back();
                stack.pop_back();
                const int px = at % width;
                const int py = at / width;
                box |= QRect(px, py, 1, 1);
                ++pixels;
                if (px + 1 < width && py + 1 < height && inked(px + 1, py) && inked(px, py + 1) &&
                    inked(px + 1, py + 1))
                    ++squares;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = px + dx;
                        const int ny = py + dy;
                        if (nx < 0 || ny < 0 || nx >= width || ny >= height)
                            continue;
                        const size_t n = static_cast<size_t>(ny) * static_cast<size_t>(width) +
                                         static_cast<size_t>(nx);
                        if (label[n] < 0 && inked(nx, ny)) {
                            label[n] = id;
                            stack.push_back(static_cast<int>(n));
                        }
                    }
                }
            }
            blobs.push_back({box, pixels, squares});
        }
    }
    return blobs;
}

bool glyphSized(const QRect& box)
{
    return box.height() >= minimumPieceHeight && box.height() <= maximumGlyphHeight &&
           box.width() * separatorAspect >= box.height() && box.width() <= 24 * box.height();
}

// The outline of a box inked along the middle of all four sides: a check box, an icon's frame,
// a button or a window's button. No letter's edges are all straight.
bool boxOutline(const QImage& prepared, const QRect& box)
{
    if (box.width() < 8 || box.height() < 8)
        return false;
    const auto inked = [&prepared](int x, int y) { return prepared.constScanLine(y)[x] < 128; };
    const auto along = [&inked](QPoint from, QPoint step, int length) {
        int count = 0;
        for (int i = length / 10; i < length - length / 10; ++i)
            count += inked(from.x() + i * step.x(), from.y() + i * step.y()) ? 1 : 0;
        return 10 * count >= 9 * (length - 2 * (length / 10));
    };
    return along(box.topLeft(), {1, 0}, box.width()) &&
           along(box.bottomLeft(), {1, 0}, box.width()) &&
           along(box.topLeft(), {0, 1}, box.height()) &&
           along(box.topRight(), {0, 1}, box.height());
}

// A piece of a table's rules that lighter stretches cut apart where they cross: drawn in lines a
// pixel wide, one of which runs on past the piece in lighter ink. A glyph's strokes end in it.
bool rulePiece(const QImage& prepared, const Blob& blob)
{
    constexpr int runsOn = 3;
    const QRect& box = blob.box;
    if (blob.squares > 0 || std::min(box.width(), box.height()) < 8)
        return false;
    const auto shade = [&prepared](int x, int y) {
        return prepared.rect().contains(x, y) ? prepared.constScanLine(y)[x] : uchar(255);
    };
    const auto continues = [&shade](QPoint from, QPoint step) {
        if (shade(from.x(), from.y()) >= 128)
            return false;
        for (int i = 1; i <= runsOn; ++i) {
            if (shade(from.x() + i * step.x(), from.y() + i * step.y()) >= 192)
                return false;
        }
        return true;
    };
    for (int x = box.left(); x <= box.right(); ++x) {
        if (continues({x, box.top()}, {0, -1}) || continues({x, box.bottom()}, {0, 1}))
            return true;
    }
    for (int y = box.top(); y <= box.bottom(); ++y) {
        if (continues({box.left(), y}, {-1, 0}) || continues({box.right(), y}, {1, 0}))
            return true;
    }
    return false;
}

// Glyphs of one height side by side, or a mark within a glyph's height or up to half of it
// above, where quotes stand over small letters: the dots of a colon, a comma or a quote between
// words of one line keep them together.
bool sameRow(const QRect& a, const QRect& b)
{
    const QRect& small = a.height() <= b.height() ? a : b;
    const QRect& tall = a.height() <= b.height() ? b : a;
    const int overlap = std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top()) + 1;
    if (2 * overlap >= small.height() && 2 * small.height() >= tall.height())
        return true;
    return tall.height() >= minimumLineHeight && tall.width() <= 2 * tall.height() &&
           small.width() <= tall.height() && small.top() >= tall.top() - tall.height() / 2 &&
           small.bottom() <= tall.bottom();
}

// Pieces of one glyph, one above the other: at small sizes the grey middle of a thin
// diagonal ("2", "z") parts its ends. Lines of text lie further apart, and the dots of a
// grip are all small.
bool stacked(const QRect& a, const QRect& b)
{
    const int gap = std::max(a.top(), b.top()) - std::min(a.bottom(), b.bottom()) - 1;
    const int overlap = std::min(a.right(), b.right()) - std::max(a.left(), b.left()) + 1;
    return gap >= 0 && gap <= 1 && 2 * overlap >= std::min(a.width(), b.width()) &&
           std::max(a.height(), b.height()) >= minimumLineHeight;
}

int find(std::vector<int>& parent, int i)
{
    while (parent[static_cast<size_t>(i)] != i)
        i = parent[static_cast<size_t>(i)] =
            parent[static_cast<size_t>(parent[static_cast<size_t>(i)])];
    return i;
}

// Rows of one height on one line a few characters apart are words of that line: code puts
// quotes, colons and spaces between them, too small or too far apart to join as glyphs.
// A field's edge or a table's rule between two rows: a column inked over most of their height,
// however faintly, away from the glyphs' own soft edges, and on past it both ways. An "l"
// between two words ends with them at the baseline.
bool ruledApart(const QImage& prepared, const QRect& gap)
{
    constexpr int past = 2;
    const auto inked = [&prepared](int x, int y) {
        return y >= 0 && y < prepared.height() && prepared.constScanLine(y)[x] < 192;
    };
    for (int x = gap.left() + 1; x < gap.right(); ++x) {
        int count = 0;
        for (int y = gap.top(); y <= gap.bottom(); ++y)
            count += inked(x, y) ? 1 : 0;
        if (5 * count >= 4 * gap.height() && inked(x, gap.top() - past) &&
            inked(x, gap.bottom() + past))
            return true;
    }
    return false;
}

QList<QRect> wordsJoined(const QImage& prepared, QList<QRect> rows)
{
    bool joinedAny = true;
    while (joinedAny) {
        joinedAny = false;
        std::ranges::sort(rows, {}, &QRect::left);
        for (qsizetype i = 0; i < rows.size() && !joinedAny; ++i) {
            for (qsizetype j = i + 1; j < rows.size(); ++j) {
                const QRect& a = rows.at(i);
                const QRect& b = rows.at(j);
                const int low = std::min(a.height(), b.height());
                const int high = std::max(a.height(), b.height());
                // Lone glyphs, such as the cells of a grid, stay apart from further off.
                const bool words = a.width() > a.height() && b.width() > b.height();
                if (b.left() > a.right() + 2 * (words ? high : low))
                    continue;
                const int overlap =
                    std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top()) + 1;
                const QRect gap(QPoint(a.right() + 1, std::max(a.top(), b.top())),
                                QPoint(b.left() - 1, std::min(a.bottom(), b.bottom())));
                if (2 * high <= 3 * low && 3 * overlap >= 2 * low && !ruledApart(prepared, gap)) {
                    rows[i] |= b;
                    rows.removeAt(j);
                    joinedAny = true;
                    break;
                }
            }
        }
    }
    return rows;
}

} // namespace

QImage glyphMask(const QImage& prepared)
{
    QImage mask(prepared.size(), QImage::Format_Grayscale8);
    mask.fill(255);
    for (const Blob& blob : glyphBlobs(prepared)) {
        const QRect& box = blob.box;
        // Rules, frames around cards and fields, and pictures: thin, hollow or too tall.
        const bool rule =
            (box.height() <= 2 && box.width() >= 8) || (box.width() <= 2 && box.height() >= 8);
        const bool hollow =
            box.width() >= 40 && box.height() >= 20 &&
            10 * static_cast<qint64>(blob.pixels) < static_cast<qint64>(box.width()) * box.height();
        if (rule || hollow || box.height() > maximumGlyphHeight)
            continue;
        for (int y = box.top(); y <= box.bottom(); ++y)
            std::fill_n(mask.scanLine(y) + box.left(), box.width(), uchar(0));
    }
    return mask;
}

QList<QRect> unreadInkLines(const QImage& prepared, const QList<QRect>& read)
{
    const std::vector<Blob> blobs = glyphBlobs(prepared);
    std::vector<QRect> byLeft;
    byLeft.reserve(blobs.size());
    for (const Blob& blob : blobs)
        byLeft.push_back(blob.box);
    std::ranges::sort(byLeft, {}, &QRect::left);
    // A frame around a label, however faint its edges: no letter holds two others.
    const auto framesText = [&byLeft](const QRect& box) {
        if (box.width() < 8 || box.height() < 8)
            return false;
        const QRect inside = box.adjusted(1, 1, -1, -1);
        int held = 0;
        for (auto it = std::ranges::lower_bound(byLeft, inside.left(), {}, &QRect::left);
             it != byLeft.end() && it->left() <= inside.right() && held < 2; ++it)
            held += inside.contains(*it) ? 1 : 0;
        return held >= 2;
    };
    std::vector<QRect> glyphs;
    for (const Blob& blob : blobs) {
        // A piece of a frame whose edges the preparation broke: wide, and mostly hollow.
        const bool framePiece = blob.box.height() >= 8 &&
                                blob.box.width() >= 2 * blob.box.height() &&
                                5 * static_cast<qint64>(blob.pixels) <
                                    static_cast<qint64>(blob.box.width()) * blob.box.height();
        if (!glyphSized(blob.box) || boxOutline(prepared, blob.box) || framesText(blob.box) ||
            framePiece || rulePiece(prepared, blob))
            continue;
        const QRect near = blob.box.adjusted(-2, -2, 2, 2);
        if (std::ranges::none_of(read, [&near](const QRect& box) { return box.intersects(near); }))
            glyphs.push_back(blob.box);
    }
    std::ranges::sort(glyphs, {}, &QRect::left);
    std::vector<int> parent(glyphs.size());
    std::iota(parent.begin(), parent.end(), 0);
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const QRect& a = glyphs[i];
        for (size_t j = i + 1; j < glyphs.size(); ++j) {
            const QRect& b = glyphs[j];
            // Letters of a word or words of a label: the gap is under a glyph's height.
            const int reach = std::max(a.height(), b.height());
            if (b.left() > a.right() + reach)
                break;
            if (sameRow(a, b) || stacked(a, b))
                parent[static_cast<size_t>(find(parent, static_cast<int>(j)))] =
                    find(parent, static_cast<int>(i));
        }
    }
    std::vector<QRect> joined(glyphs.size());
    for (size_t i = 0; i < glyphs.size(); ++i)
        joined[static_cast<size_t>(find(parent, static_cast<int>(i)))] |= glyphs[i];
    std::vector<int> glyphCount(glyphs.size(), 0);
    for (size_t i = 0; i < glyphs.size(); ++i)
        ++glyphCount[static_cast<size_t>(find(parent, static_cast<int>(i)))];
    QList<QRect> lines;
    for (size_t i = 0; i < joined.size(); ++i) {
        const QRect& line = joined[i];
        if (line.isNull() || line.height() < minimumLineHeight)
            continue;
        // A lone square glyph just before or after a line that was read is its icon: the
        // line's own letters would have been read with it.
        const QRect beside = line.adjusted(-2 * line.height(), 0, 2 * line.height(), 0);
        if (glyphCount[i] == 1 && 10 * line.width() >= 9 * line.height() &&
            std::ranges::any_of(read, [&](const QRect& box) { return box.intersects(beside); }))
            continue;
        lines.append(line);
    }
    // The stops of an ellipsis or a colon at the end of a line, a pixel high in small type.
    std::vector<QRect> specks;
    for (const Blob& blob : blobs) {
        if (blob.box.height() < minimumPieceHeight && blob.box.width() <= 3)
            specks.push_back(blob.box);
    }
    std::ranges::sort(specks, {}, &QRect::left);
    for (QRect& line : lines) {
        for (auto speck = std::ranges::upper_bound(specks, line.right(), {}, &QRect::left);
             speck != specks.end() &&
             speck->left() - line.right() - 1 <= std::max(2, line.height() / 2);
             ++speck) {
            if (speck->top() >= line.top() && speck->bottom() <= line.bottom())
                line |= *speck;
        }
    }
    return wordsJoined(prepared, lines);
}

QList<QRect> unreadTextLines(const QImage& halfPrepared, const QImage& prepared,
                             const QList<QRect>& read)
{
    QList<QRect> unread = unreadInkLines(prepared, read);
    QList<QRect> halfRead;
    for (const QRect& box : read)
        halfRead.append(QRect(box.topLeft() / 2, box.size() / 2));
    QList<QRect> large;
    for (const QRect& half : unreadInkLines(halfPrepared, halfRead)) {
        if (half.height() >= largeHalfHeight)
            large.append(QRect(half.topLeft() * 2, half.size() * 2));
    }
    // The tallest first, replacing the pieces of its outline found at full size; a glyph of a
    // large line may pass for a line of its own.
    std::ranges::sort(large, std::greater{}, &QRect::height);
    for (const QRect& box : std::as_const(large)) {
        const auto crosses = [&box](const QRect& line) { return line.intersects(box); };
        if (std::ranges::any_of(unread, [&](const QRect& line) {
                return line.height() >= box.height() && crosses(line);
            }))
            continue;
        unread.removeIf(crosses);
        unread.append(box);
    }
    return unread;
}

QList<QRect> inkBesideWords(const QImage& prepared, const QRect& line, const QList<QRect>& words)
{
    // Around the line, so that an icon or a check box it cuts through is seen whole.
    const int margin = line.height() / 2;
    const QRect area = line.adjusted(-margin, -margin, margin, margin).intersected(prepared.rect());
    QList<QRect> held;
    int first = area.right() + 1;
    int last = area.left() - 1;
    for (const QRect& word : words) {
        if (word.isEmpty())
            continue;
        held.append(word.translated(-area.topLeft()));
        first = std::min(first, word.left());
        last = std::max(last, word.right());
    }
    if (held.isEmpty())
        return {};
    QList<QRect> beside;
    for (const QRect& ink : unreadInkLines(prepared.copy(area), held)) {
        const QRect found = ink.translated(area.topLeft());
        const bool inLine = line.contains(found.center()) && found.height() <= line.height() + 2;
        if (inLine && (found.right() < first || found.left() > last))
            beside.append(found);
    }
    return beside;
}

QList<QRect> runsOfOneSize(const QImage& prepared, const QRect& box)
{
    // Large type stands this many times taller than the small type's middle.
    constexpr double taller = 1.6;
    const QRect area = box.intersected(prepared.rect());
    // Glyphs as runs of inked columns, each with the height of its ink.
    QList<QRect> glyphs;
    bool open = false;
    for (int x = area.left(); x <= area.right(); ++x) {
        int top = area.bottom() + 1;
        int bottom = area.top() - 1;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            if (prepared.constScanLine(y)[x] < 128) {
                top = std::min(top, y);
                bottom = y;
            }
        }
        if (bottom < top) {
            open = false;
            continue;
        }
        const QRect column(QPoint(x, top), QPoint(x, bottom));
        if (open)
            glyphs.back() |= column;
        else
            glyphs.append(column);
        open = true;
    }
    if (glyphs.size() < 4)
        return {};
    std::vector<int> heights;
    heights.reserve(static_cast<size_t>(glyphs.size()));
    for (const QRect& glyph : std::as_const(glyphs))
        heights.push_back(glyph.height());
    std::ranges::nth_element(heights, heights.begin() + static_cast<qsizetype>(heights.size() / 2));
    const int middle = heights[heights.size() / 2];
    // A glyph alone among the other size is a tall mark of the same type: "@", "j", "(".
    struct Run {
        QRect box;
        bool large = false;
        int glyphs = 0;
    };
    std::vector<Run> runs;
    for (const QRect& glyph : std::as_const(glyphs)) {
        const bool large = glyph.height() >= taller * middle;
        if (runs.empty() || large != runs.back().large)
            runs.push_back({glyph, large, 1});
        else {
            runs.back().box |= glyph;
            ++runs.back().glyphs;
        }
    }
    std::vector<Run> merged;
    for (const Run& run : runs) {
        if (merged.empty()) {
            merged.push_back(run);
            continue;
        }
        Run& last = merged.back();
        const bool lastAlone = last.glyphs == 1;
        if (run.glyphs == 1 || lastAlone || last.large == run.large) {
            last.box |= run.box;
            last.glyphs += run.glyphs;
            if (lastAlone)
                last.large = run.large;
        } else {
            merged.push_back(run);
        }
    }
    if (merged.size() < 2)
        return {};
    QList<QRect> parts;
    for (const Run& run : merged)
        parts.append(run.box);
    return parts;
}

void fillLargeType(QImage& prepared, const QImage& halfPrepared)
{
    for (const Blob& blob : glyphBlobs(halfPrepared)) {
        // Letters, not the frames of buttons and fields, which hold little ink for their size.
        const bool solid = 4 * static_cast<qint64>(blob.pixels) >=
                           static_cast<qint64>(blob.box.width()) * blob.box.height();
        if (blob.box.height() < largeHalfHeight || !glyphSized(blob.box) || !solid)
            continue;
        const QRect full =
            QRect(blob.box.topLeft() * 2, blob.box.size() * 2).intersected(prepared.rect());
        for (int y = full.top(); y <= full.bottom(); ++y) {
            const uchar* half =
                halfPrepared.constScanLine(std::min(y / 2, halfPrepared.height() - 1));
            uchar* line = prepared.scanLine(y);
            for (int x = full.left(); x <= full.right(); ++x) {
                const uchar v = half[std::min(x / 2, halfPrepared.width() - 1)];
                if (v < 128)
                    line[x] = std::min(line[x], v);
            }
        }
    }
}

void eraseMaskedCharacters(QImage& prepared)
{
    // Smaller dots are the periods of an ellipsis; three of them are an ellipsis at any size.
    constexpr int smallestDot = 5;
    constexpr int fewestDots = 4;
    const auto inked = [&prepared](int x, int y) { return prepared.constScanLine(y)[x] < 128; };
    std::vector<QRect> dots;
    for (const Blob& blob : glyphBlobs(prepared)) {
        const QRect& box = blob.box;
        // Round and solid: its corners empty but for a pixel's rounding and its middle inked,
        // where a small bold letter has stems in its corners or a counter in its middle; a
        // filled disc covers about 79 % of its box.
        const int corners =
            (inked(box.left(), box.top()) ? 1 : 0) + (inked(box.right(), box.top()) ? 1 : 0) +
            (inked(box.left(), box.bottom()) ? 1 : 0) + (inked(box.right(), box.bottom()) ? 1 : 0);
        const bool round = box.width() >= smallestDot &&
                           std::abs(box.width() - box.height()) <= 1 && corners <= 1 &&
                           inked(box.center().x(), box.center().y());
        if (round && 10 * static_cast<qint64>(blob.pixels) >=
                         6 * static_cast<qint64>(box.width()) * box.height())
            dots.push_back(box);
    }
    std::ranges::sort(dots, {}, [](const QRect& d) { return std::pair(d.center().y(), d.left()); });
    size_t first = 0;
    while (first < dots.size()) {
        // A run: the same size, the same row, each as far from the last as the one before.
        size_t end = first + 1;
        while (end < dots.size()) {
            const QRect& last = dots[end - 1];
            const QRect& next = dots[end];
            const int gap = next.left() - last.right();
            const bool even =
                end == first + 1 || std::abs(gap - (last.left() - dots[end - 2].right())) <= 2;
            if (std::abs(next.center().y() - last.center().y()) > 1 ||
                std::abs(next.width() - last.width()) > 1 || gap < 0 || gap > 2 * last.width() ||
                !even)
                break;
            ++end;
        }
        if (end - first >= static_cast<size_t>(fewestDots)) {
            for (size_t i = first; i < end; ++i) {
                for (int y = dots[i].top(); y <= dots[i].bottom(); ++y)
                    std::fill_n(prepared.scanLine(y) + dots[i].left(), dots[i].width(), uchar(255));
            }
        }
        first = end;
    }
}

} // namespace vellumbox
