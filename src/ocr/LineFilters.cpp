// SPDX-License-Identifier: GPL-3.0-or-later
#include "LineFilters.h"

#include <algorithm>
#include <numeric>

namespace vellumbox {

namespace {

// A frame's edge drawn close to the text reads as a bar glued to the nearest word ("|And"),
// which text on screen never is.
QString withoutGluedBorder(QString word)
{
    const QChar bar = QLatin1Char('|');
    if (word.size() > 1 && word.front() == bar && word.at(1).isLetterOrNumber())
        word.remove(0, 1);
    if (word.size() > 1 && word.back() == bar && !word.at(word.size() - 2).isSpace() &&
        word.at(word.size() - 2) != bar)
        word.chop(1);
    return word;
}

// A shortcut's "Ctrl+" in small type reads as "Ctri+" or "Ctr1+": the modifiers are a closed
// set, and "+" after them says the word is one.
QString withModifierMended(QString word)
{
    static const QList<QLatin1StringView> misreadControl{
        QLatin1StringView("Ctri+"), QLatin1StringView("Ctr1+"), QLatin1StringView("CtrI+"),
        QLatin1StringView("Ctr|+")};
    for (const QLatin1StringView misread : misreadControl) {
        if (word.startsWith(misread))
            return word.replace(0, misread.size(), QLatin1StringView("Ctrl+"));
    }
    return word;
}

// Window chrome, icons and borders come out as words the engine all but rejects, or as one
// or two characters it doubts. Real words it doubts are longer and score above the floor.
bool looksLikeNoise(const QString& word, float confidence)
{
    return confidence < 10 || (confidence < 50 && word.size() <= 2);
}

// A doubtful word of mostly punctuation, such as "TA)" from a row of title-bar buttons, counts
// only beside a word that reads as text.
bool looksLikeWord(const QString& word, float confidence)
{
    const auto alphanumerics =
        std::count_if(word.cbegin(), word.cend(), [](QChar c) { return c.isLetterOrNumber(); });
    return confidence >= 50 || alphanumerics >= 3;
}

} // namespace

KeptWords keptWords(const QList<EngineWord>& words)
{
    QStringList kept;
    QList<QRect> boxes;
    // Whether any word reads as text rather than as a mark the engine doubts.
    bool hasWord = false;
    for (const EngineWord& read : words) {
        const QString word = withModifierMended(withoutGluedBorder(read.text.trimmed()));
        if (word.isEmpty() || looksLikeNoise(word, read.confidence))
            continue;
        hasWord = hasWord || looksLikeWord(word, read.confidence);
        kept.append(word);
        boxes.append(read.box);
    }
    // A frame's edge or a field's end standing apart at either end of the line; before a word
    // in lower case it may be an "I".
    const QString bar(QLatin1Char('|'));
    while (!kept.isEmpty() && kept.back() == bar) {
        kept.removeLast();
        boxes.removeLast();
    }
    while (kept.size() > 1 && kept.front() == bar && !kept.at(1).front().isLower()) {
        kept.removeFirst();
        boxes.removeFirst();
    }
    QString text = kept.join(QLatin1Char(' '));
    if (!hasWord)
        return {};
    // The same edge may read as an opening bracket or quote that nothing closes.
    if (text.size() > 1 && text.front() == QLatin1Char('[') && text.at(1).isLetterOrNumber() &&
        !text.contains(QLatin1Char(']')))
        text.remove(0, 1);
    const QChar openingQuote(0x2018);
    const QChar closingQuote(0x2019);
    if (text.size() > 1 && text.front() == openingQuote && !text.contains(closingQuote))
        text = text.mid(1).trimmed();
    // Code quotes straight, prose curly: a line with both is code whose quotes were misread.
    if (text.contains(QLatin1Char('"'))) {
        text.replace(QChar(0x201c), QLatin1Char('"'));
        text.replace(QChar(0x201d), QLatin1Char('"'));
    }
    return {text, boxes};
}

QList<qsizetype> repeatedLines(const QList<QRect>& boxes, const QStringList& texts)
{
    QStringList letters;
    for (const QString& text : texts) {
        QString kept;
        for (const QChar c : text) {
            if (c.isLetterOrNumber())
                kept += c.toLower();
        }
        letters.append(kept);
    }
    const auto area = [&boxes](qsizetype i) {
        return static_cast<qint64>(boxes.at(i).width()) * boxes.at(i).height();
    };
    QList<qsizetype> repeated;
    for (qsizetype i = 0; i < boxes.size(); ++i) {
        for (qsizetype j = 0; j < boxes.size(); ++j) {
            if (i == j || letters.at(i).isEmpty() || !boxes.at(i).intersects(boxes.at(j)))
                continue;
            // A word or two read again inside a line that holds them.
            if (letters.at(i).size() >= 3 && letters.at(i) != letters.at(j) &&
                letters.at(j).contains(letters.at(i)) &&
                boxes.at(j).contains(boxes.at(i).center())) {
                repeated.append(i);
                break;
            }
            if (letters.at(i) != letters.at(j))
                continue;
            // The looser box goes; of two alike, the later.
            if (area(i) > area(j) || (area(i) == area(j) && i > j)) {
                repeated.append(i);
                break;
            }
        }
    }
    return repeated;
}

QList<QList<qsizetype>> piecesOfOneLine(const QList<QRect>& boxes)
{
    // A word space is under a line's height; a key and its value, with the colon between them
    // lost, about two.
    constexpr int gutter = 5; // in half heights
    QList<qsizetype> order(boxes.size());
    std::iota(order.begin(), order.end(), qsizetype{0});
    std::ranges::sort(order, {}, [&boxes](qsizetype i) { return boxes.at(i).left(); });
    QList<QList<qsizetype>> groups;
    for (const qsizetype i : std::as_const(order)) {
        const QRect& box = boxes.at(i);
        qsizetype joined = -1;
        for (qsizetype g = 0; g < groups.size() && joined < 0; ++g) {
            const QRect& last = boxes.at(groups.at(g).back());
            const int low = std::min(last.height(), box.height());
            const int high = std::max(last.height(), box.height());
            const int overlap =
                std::min(last.bottom(), box.bottom()) - std::max(last.top(), box.top()) + 1;
            const int gap = box.left() - last.right() - 1;
            if (2 * high <= 3 * low && 2 * overlap >= low && gap >= -low &&
                2 * gap <= gutter * high)
                joined = g;
        }
        if (joined < 0)
            groups.append(QList<qsizetype>{i});
        else
            groups[joined].append(i);
    }
    std::ranges::sort(groups, {},
                      [](const QList<qsizetype>& g) { return *std::ranges::min_element(g); });
    return groups;
}

QList<bool> lettersApart(const QList<QRect>& boxes)
{
    const auto narrow = [](const QRect& box) { return box.width() <= 2 * box.height(); };
    QList<bool> piece(boxes.size(), false);
    for (qsizetype i = 0; i < boxes.size(); ++i) {
        const QRect& a = boxes.at(i);
        if (!narrow(a))
            continue;
        for (qsizetype j = 0; j < boxes.size() && !piece.at(i); ++j) {
            const QRect& b = boxes.at(j);
            if (j == i || !narrow(b) ||
                2 * std::max(a.height(), b.height()) > 3 * std::min(a.height(), b.height()))
                continue;
            const int overlap = std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top()) + 1;
            const int gap = std::max(a.left(), b.left()) - std::min(a.right(), b.right()) - 1;
            piece[i] = 2 * overlap >= std::min(a.height(), b.height()) &&
                       gap <= std::max(a.height(), b.height());
        }
    }
    return piece;
}

QList<qsizetype> doubledLines(const QList<QRect>& boxes, const QList<bool>& doubtful)
{
    const qsizetype firstPass = doubtful.size();
    QList<bool> dropped(boxes.size(), false);
    for (qsizetype i = 0; i < firstPass; ++i) {
        const QRect& line = boxes.at(i);
        if (!doubtful.at(i))
            continue;
        QList<qsizetype> inside;
        int span = 0;
        int tallest = 0;
        for (qsizetype j = firstPass; j < boxes.size(); ++j) {
            if (!dropped.at(j) && boxes.at(j).intersects(line)) {
                inside.append(j);
                span += boxes.at(j).intersected(line).width();
                tallest = std::max(tallest, boxes.at(j).height());
            }
        }
        if (inside.isEmpty())
            continue;
        if (5 * span >= 3 * line.width() || line.height() >= 2 * tallest)
            dropped[i] = true;
        else
            for (const qsizetype j : std::as_const(inside))
                dropped[j] = true;
    }
    QList<qsizetype> gone;
    for (qsizetype i = 0; i < boxes.size(); ++i) {
        if (dropped.at(i))
            gone.append(i);
    }
    return gone;
}

QStringList casesSettled(const QList<QRect>& boxes, QStringList texts)
{
    static const QString sameShape = QStringLiteral("cosuvwxz");
    // Two or three times over: "Ww", "WwW".
    const auto bothCases = [](const QString& text) {
        const QChar letter = text.isEmpty() ? QChar() : text.front().toLower();
        return (text.size() == 2 || text.size() == 3) && sameShape.contains(letter) &&
               std::ranges::all_of(text, [letter](QChar c) { return c.toLower() == letter; }) &&
               text != text.toLower() && text != text.toUpper();
    };
    // Digits and capitals stand on the baseline and reach the capitals' height; "J" and "Q"
    // reach below it in many faces.
    const auto capitalHigh = [](const QString& text) {
        return text.size() == 1 &&
               (text.front().isDigit() ||
                (text.front().isUpper() && !sameShape.contains(text.front().toLower()) &&
                 text.front() != QLatin1Char('J') && text.front() != QLatin1Char('Q')));
    };
    const QStringList read = texts;
    for (qsizetype i = 0; i < boxes.size(); ++i) {
        if (!bothCases(read.at(i)))
            continue;
        const QRect& box = boxes.at(i);
        int capital = 0;
        for (qsizetype j = 0; j < boxes.size(); ++j) {
            const QRect& other = boxes.at(j);
            const int overlap =
                std::min(box.bottom(), other.bottom()) - std::max(box.top(), other.top()) + 1;
            if (j != i && capitalHigh(read.at(j)) &&
                2 * overlap >= std::min(box.height(), other.height()))
                capital = std::max(capital, other.height());
        }
        // A small letter reaches about three quarters of a capital's height.
        const QChar letter = read.at(i).front();
        if (capital > 0)
            texts[i] = 20 * box.height() >= 17 * capital ? letter.toUpper() : letter.toLower();
        else
            texts[i] = letter;
    }
    return texts;
}

} // namespace vellumbox
