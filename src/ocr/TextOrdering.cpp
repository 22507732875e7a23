// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextOrdering.h"

#include <QStringList>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>

namespace vellumbox {

namespace {

constexpr double sameRowBottomTolerance = 0.01;
constexpr double sameRowOverlap = 0.5;

bool sameRow(const QRectF& anchor, const QRectF& line)
{
    if (std::abs(anchor.bottom() - line.bottom()) < sameRowBottomTolerance)
        return true;
    const double overlap =
        std::min(anchor.bottom(), line.bottom()) - std::max(anchor.top(), line.top());
    const double shorter = std::min(anchor.height(), line.height());
    return shorter > 0 && overlap >= sameRowOverlap * shorter;
}

} // namespace

QList<RecognizedLine> orderLines(QList<RecognizedLine> lines)
{
    std::stable_sort(lines.begin(), lines.end(),
                     [](const RecognizedLine& a, const RecognizedLine& b) {
                         return a.box.bottom() < b.box.bottom();
                     });
    // Each row is anchored on its highest line, so that a run of slightly lower lines cannot
    // drift one row into the next.
    QList<RecognizedLine> ordered;
    ordered.reserve(lines.size());
    qsizetype rowStart = 0;
    while (rowStart < lines.size()) {
        const QRectF anchor = lines.at(rowStart).box;
        qsizetype rowEnd = rowStart + 1;
        while (rowEnd < lines.size() && sameRow(anchor, lines.at(rowEnd).box))
            ++rowEnd;
        const qsizetype first = ordered.size();
        ordered.append(lines.mid(rowStart, rowEnd - rowStart));
        std::stable_sort(ordered.begin() + first, ordered.end(),
                         [](const RecognizedLine& a, const RecognizedLine& b) {
                             return a.box.left() < b.box.left();
                         });
        rowStart = rowEnd;
    }
    return ordered;
}

QString joinLines(const QList<RecognizedLine>& lines)
{
    QStringList texts;
    for (const RecognizedLine& line : lines) {
        if (line.text)
            texts.append(*line.text);
    }
    return texts.join(QLatin1Char('\n'));
}

QString previewText(const QString& text, int limit)
{
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    qsizetype end = 0;
    while (count < limit) {
        const qsizetype next = graphemes.toNextBoundary();
        if (next < 0)
            return text;
        end = next;
        ++count;
    }
    if (end >= text.size())
        return text;
    return text.left(end) + QStringLiteral("...");
}

} // namespace vellumbox
