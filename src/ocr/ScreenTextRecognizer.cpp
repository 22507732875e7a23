// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenTextRecognizer.h"

#include "BandCut.h"
#include "ImagePreparation.h"
#include "InkLines.h"
#include "LineFilters.h"

#include <QCoreApplication>
#include <QMutexLocker>

#include <algorithm>
#include <future>
#include <vector>

namespace vellumbox {

namespace {

struct ScreenTextRecognizerText {
    Q_DECLARE_TR_FUNCTIONS(ScreenTextRecognizer)
};

struct ReadLine {
    // In the whole picture's pixels.
    QRect box;
    QString text;
    float confidence = 0;
    // Of the words kept of the engine's reading.
    QList<QRect> words;
};

std::vector<ReadLine> readLines(TextEngine& engine, const QImage& gray, const QRect& region,
                                EngineLayout layout)
{
    std::vector<ReadLine> lines;
    for (const EngineLine& line : engine.read(gray, region, layout)) {
        KeptWords kept = keptWords(line.words);
        lines.push_back({line.box, std::move(kept.text), line.confidence, std::move(kept.boxes)});
    }
    return lines;
}

// Lines lower than this (about 11 px type) are read again enlarged: the engine's line finder
// does well on them at their own size, but its recogniser misreads their few pixels.
constexpr int smallLineHeight = 11;
constexpr double enlargedLineHeight = 32;
// Lines read with less confidence than this are read again from the plain picture too.
constexpr float doubtfulConfidence = 75;
// Lines the layout passed over are kept from this confidence.
constexpr float unreadConfidence = 50;
// Letters and digits of a reading that no mark makes by chance.
constexpr qsizetype longReading = 6;

qsizetype alphanumerics(const QString& text)
{
    return std::ranges::count_if(text, [](QChar c) { return c.isLetterOrNumber(); });
}

// `area` of `picture` alone on a white page, enlarged to about enlargedLineHeight for `height`.
QImage lineAlone(const QImage& picture, const QRect& area, const QRect& band, int height)
{
    QImage padded(area.size(), QImage::Format_Grayscale8);
    padded.fill(255);
    const QRect inside = area.intersected(band);
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        std::copy_n(picture.constScanLine(y) + inside.left(), inside.width(),
                    padded.scanLine(y - area.top()) + (inside.left() - area.left()));
    const double scale = std::clamp(enlargedLineHeight / height, 1.0, 3.0);
    return padded.scaled(padded.size() * scale, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// The grey picture of `area` turned dark on light by its own background, the commonest shade,
// and stretched to full contrast: what the preparation loses, type wider than its strokes, is
// whole here.
QImage plainAlone(const QImage& gray, const QRect& area, const QRect& content)
{
    QImage part(area.size(), QImage::Format_Grayscale8);
    part.fill(255);
    const QRect inside = area.intersected(gray.rect()).intersected(content);
    std::vector<int> histogram(256, 0);
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        const uchar* from = gray.constScanLine(y) + inside.left();
        std::copy_n(from, inside.width(),
                    part.scanLine(y - area.top()) + (inside.left() - area.left()));
        for (int x = 0; x < inside.width(); ++x)
            ++histogram[from[x]];
    }
    const int ground = static_cast<int>(std::ranges::max_element(histogram) - histogram.begin());
    long long sum = 0;
    long long count = 0;
    int low = 255;
    int high = 0;
    for (int v = 0; v < 256; ++v) {
        sum += static_cast<long long>(v) * histogram[static_cast<size_t>(v)];
        count += histogram[static_cast<size_t>(v)];
        if (histogram[static_cast<size_t>(v)] > 0) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    const bool darkGround = count > 0 && ground * count < sum;
    const int range = std::max(1, high - low);
    for (int y = 0; y < part.height(); ++y) {
        uchar* line = part.scanLine(y);
        const bool outside = y + area.top() < inside.top() || y + area.top() > inside.bottom();
        for (int x = 0; x < part.width(); ++x) {
            if (outside || x + area.left() < inside.left() || x + area.left() > inside.right()) {
                line[x] = darkGround ? static_cast<uchar>(low) : static_cast<uchar>(high);
            }
            const int v = (std::clamp<int>(line[x], low, high) - low) * 255 / range;
            line[x] = static_cast<uchar>(darkGround ? 255 - v : v);
        }
    }
    return part;
}

// Reads `box` alone as a single line from the prepared band and from the plain picture; the
// reading the engine is surer of wins over `line`'s.
void readAlone(TextEngine& engine, const QImage& prepared, const QImage& gray, const QRect& band,
               ReadLine& line)
{
    const int pad = std::max(4, line.box.height() / 2);
    const QRect area = line.box.adjusted(-pad, -pad, pad, pad);
    // Only the line and a margin of its background: the padding is not its neighbours.
    const int margin = std::max(2, line.box.height() / 6);
    const QRect content = line.box.adjusted(-margin, -margin, margin, margin).intersected(band);
    const double scale = std::clamp(enlargedLineHeight / line.box.height(), 1.0, 3.0);
    const auto attempt = [&engine, &line](const QImage& alone) {
        std::vector<ReadLine> again =
            readLines(engine, alone, alone.rect(), EngineLayout::SingleLine);
        // As a line, the engine may give nothing for a lone glyph it reads surely as a word; a thin
        // stroke alone is a tick or a rule, which the word reader makes into letters.
        if ((again.empty() || (again.size() == 1 && again.front().text.isEmpty())) &&
            3 * line.box.width() >= line.box.height())
            again = readLines(engine, alone, alone.rect(), EngineLayout::SingleWord);
        // Surer of less is not better: a reading that drops a third of the line loses.
        if (again.size() == 1 && !again.front().text.isEmpty() &&
            (line.text.isEmpty() ||
             (again.front().confidence > line.confidence &&
              3 * alphanumerics(again.front().text) >= 2 * alphanumerics(line.text)))) {
            line.text = again.front().text;
            line.confidence = again.front().confidence;
        }
    };
    attempt(lineAlone(prepared, area, content, line.box.height()));
    if (line.confidence >= doubtfulConfidence)
        return;
    const QImage plain = plainAlone(gray, area, content);
    attempt(plain.scaled(plain.size() * scale, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

// Whether the prepared ink inside `box` is one row of text: a box over two rows, which the
// layout made of neighbouring columns, reads worse still as a single line.
bool oneRow(const QImage& prepared, const QRect& box)
{
    int rows = 0;
    int gap = 2;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        const uchar* line = prepared.constScanLine(y);
        if (std::any_of(line + box.left(), line + box.right() + 1,
                        [](uchar v) { return v < 128; })) {
            rows += gap >= 2 ? 1 : 0;
            gap = 0;
        } else {
            ++gap;
        }
    }
    return rows <= 1;
}

// Reads one band of the prepared picture with its own layout; layout stays at the original
// size, since enlarged pages make the engine split tables and columns.
std::vector<ReadLine> readBand(TextEngine& engine, const QImage& prepared, const QImage& gray,
                               const QRect& band)
{
    std::vector<ReadLine> lines = readLines(engine, prepared, band, EngineLayout::Page);
    for (ReadLine& line : lines) {
        if (line.text.isEmpty())
            continue;
        const QString layoutText = line.text;
        if (line.box.height() < smallLineHeight ||
            (line.confidence < doubtfulConfidence && oneRow(prepared, line.box)))
            readAlone(engine, prepared, gray, band, line);
        // What the layout ran into the line and left unread joins it where it stands if it
        // reads surely, unless the line read again alone holds it.
        if (line.text != layoutText)
            continue;
        const int middle = line.box.center().x();
        for (const QRect& box : inkBesideWords(prepared, line.box, line.words)) {
            ReadLine piece{box, {}, 0, {}};
            readAlone(engine, prepared, gray, band, piece);
            if (piece.confidence < doubtfulConfidence || alphanumerics(piece.text) == 0)
                continue;
            line.text = box.center().x() < middle ? piece.text + QLatin1Char(' ') + line.text
                                                  : line.text + QLatin1Char(' ') + piece.text;
        }
    }
    return lines;
}

// Text the layout passed over, read line by line.
std::vector<ReadLine> readUnread(TextEngine& engine, const QImage& prepared, const QImage& gray,
                                 const QList<QRect>& boxes, const QList<QRect>& doubted)
{
    std::vector<ReadLine> lines;
    for (const QRect& box : boxes) {
        ReadLine line{box, {}, 0, {}};
        readAlone(engine, prepared, gray, prepared.rect(), line);
        // Found by its ink alone, a line must read surely unless its type is small, which the
        // engine never reads surely, and hold a letter, a digit or a bracket: other lone marks
        // there ("*", "—") are icons and window buttons.
        // A long reading is text however unsure, unless the layout read that ink already: the
        // engine was no surer there, and the layout's reading stands.
        const bool alone = std::ranges::none_of(
            doubted, [&box](const QRect& other) { return other.intersects(box); });
        const auto isSure = [&](const ReadLine& read) {
            return read.confidence >= unreadConfidence || read.box.height() < smallLineHeight ||
                   (alone && alphanumerics(read.text) >= longReading);
        };
        // Type of two sizes on one line reads badly as one: the engine scales the line by its
        // larger type and loses the smaller. Each run of one size reads alone, and the runs
        // win when each reads surely and they read surer, letter for letter, than the line.
        if (line.confidence < doubtfulConfidence) {
            QStringList texts;
            bool eachSure = true;
            double weighed = 0;
            qsizetype letters = 0;
            for (const QRect& run : runsOfOneSize(prepared, box)) {
                ReadLine part{run, {}, 0, {}};
                readAlone(engine, prepared, gray, prepared.rect(), part);
                eachSure = eachSure && !part.text.isEmpty() && isSure(part);
                texts.append(part.text);
                weighed += static_cast<double>(part.confidence) * alphanumerics(part.text);
                letters += alphanumerics(part.text);
            }
            if (eachSure && texts.size() > 1 && letters > 0 &&
                (!isSure(line) || weighed / static_cast<double>(letters) > line.confidence)) {
                line.text = texts.join(QLatin1Char(' '));
                line.confidence = static_cast<float>(weighed / static_cast<double>(letters));
            }
        }
        const bool sure = isSure(line);
        if (sure && std::ranges::any_of(line.text, [](QChar c) {
                return c.isLetterOrNumber() || QStringLiteral("()[]{}").contains(c);
            }))
            lines.push_back(line);
    }
    return lines;
}

QList<QRect> boxesOf(const std::vector<ReadLine>& lines)
{
    QList<QRect> boxes;
    for (const ReadLine& line : lines)
        boxes.append(line.box);
    return boxes;
}

// Blocks side by side, each with its own layout, shared between the engines by area.
std::vector<ReadLine> readBlocksOn(TextEngine& engine, TextEngine* helper, const QImage& prepared,
                                   const QImage& gray, QList<QRect> blocks)
{
    std::ranges::sort(blocks, std::greater{},
                      [](const QRect& b) { return static_cast<qint64>(b.width()) * b.height(); });
    QList<QRect> mine;
    QList<QRect> theirs;
    qint64 mineArea = 0;
    qint64 theirArea = 0;
    for (const QRect& block : std::as_const(blocks)) {
        const qint64 area = static_cast<qint64>(block.width()) * block.height();
        if (helper && theirArea < mineArea) {
            theirs.append(block);
            theirArea += area;
        } else {
            mine.append(block);
            mineArea += area;
        }
    }
    const auto readAll = [&prepared, &gray](TextEngine& reader, const QList<QRect>& parts) {
        std::vector<ReadLine> read;
        for (const QRect& part : parts) {
            std::vector<ReadLine> some = readBand(reader, prepared, gray, part);
            read.insert(read.end(), some.begin(), some.end());
        }
        return read;
    };
    std::future<std::vector<ReadLine>> other;
    if (!theirs.isEmpty())
        other = std::async(std::launch::async, [&] { return readAll(*helper, theirs); });
    std::vector<ReadLine> lines = readAll(engine, mine);
    if (other.valid()) {
        std::vector<ReadLine> rest = other.get();
        lines.insert(lines.end(), rest.begin(), rest.end());
    }
    return lines;
}

} // namespace

ScreenTextRecognizer::ScreenTextRecognizer(TextEngine& textEngine)
    : engine(textEngine)
{}

ScreenTextRecognizer::~ScreenTextRecognizer() = default;

TextRecognitionResult ScreenTextRecognizer::recognize(const QImage& image)
{
    if (image.isNull() || image.width() < 2 || image.height() < 2)
        return {};
    if (static_cast<qint64>(image.width()) * image.height() > maximumPixels)
        return {{},
                ScreenTextRecognizerText::tr(
                    "The area is too large to read text from (%1 × %2 pixels; at most "
                    "%3 million pixels).")
                    .arg(image.width())
                    .arg(image.height())
                    .arg(maximumPixels / 1'000'000)};

    // Converted once: the preparation takes a grey picture as it is.
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    const QImage turned = barsTurnedOver(gray);
    const QImage halfPrepared = readableStrokesAtHalfSize(turned);
    QImage prepared = readableStrokes(turned);
    fillLargeType(prepared, halfPrepared);
    eraseLongRules(prepared);
    eraseMaskedCharacters(prepared);

    const QMutexLocker lock(&mutex);
    if (const std::optional<QString> failure = engine.load())
        return {{}, failure};
    std::vector<ReadLine> lines;
    // Columns side by side each get a layout of their own: the engine's runs lines of
    // neighbouring columns together. A tall picture without columns is read as two halves cut
    // through empty rows, so no line is split; either way two cores read at once.
    QList<QRect> blocks = sideBySideBlocks(glyphMask(prepared));
    if (blocks.size() == 1) {
        if (const std::optional<int> cut = bandCut(prepared))
            blocks = {QRect(0, 0, prepared.width(), *cut),
                      QRect(0, *cut, prepared.width(), prepared.height() - *cut)};
    }
    if (blocks.size() > 1 && !helper)
        helper = engine.twin();
    lines = readBlocksOn(engine, helper.get(), prepared, gray, blocks);
    // A doubtful reading does not hide its ink: rows the layout ran together across columns
    // read surely line by line, and then take its place.
    const QList<QRect> firstBoxes = boxesOf(lines);
    const QList<bool> pieces = lettersApart(firstBoxes);
    QList<QRect> read;
    QList<QRect> doubted;
    QList<bool> doubtful;
    for (qsizetype i = 0; i < firstBoxes.size(); ++i) {
        const ReadLine& line = lines[static_cast<size_t>(i)];
        // A line over two rows of ink is the layout's mistake, however sure its reading.
        doubtful.append(!line.text.isEmpty() && (line.confidence < doubtfulConfidence ||
                                                 pieces.at(i) || !oneRow(prepared, line.box)));
        if (!line.text.isEmpty() && !doubtful.back())
            read.append(line.box);
        else if (!line.text.isEmpty())
            doubted.append(line.box);
    }
    const QList<QRect> unread = unreadTextLines(halfPrepared, prepared, read);
    if (helper && unread.size() > 1) {
        const QList<QRect> second = unread.mid(unread.size() / 2);
        auto other = std::async(std::launch::async, [this, &prepared, &gray, &second, &doubted] {
            return readUnread(*helper, prepared, gray, second, doubted);
        });
        const std::vector<ReadLine> first =
            readUnread(engine, prepared, gray, unread.first(unread.size() / 2), doubted);
        lines.insert(lines.end(), first.begin(), first.end());
        const std::vector<ReadLine> rest = other.get();
        lines.insert(lines.end(), rest.begin(), rest.end());
    } else {
        const std::vector<ReadLine> found = readUnread(engine, prepared, gray, unread, doubted);
        lines.insert(lines.end(), found.begin(), found.end());
    }
    const QList<qsizetype> doubled = doubledLines(boxesOf(lines), doubtful);
    for (auto i = doubled.rbegin(); i != doubled.rend(); ++i)
        lines.erase(lines.begin() + *i);
    // A line may still have been found twice, by the layout and by its ink, in other boxes.
    QStringList texts;
    for (const ReadLine& line : lines)
        texts.append(line.text);
    const QList<qsizetype> repeated = repeatedLines(boxesOf(lines), texts);
    for (auto i = repeated.rbegin(); i != repeated.rend(); ++i) {
        lines.erase(lines.begin() + *i);
        texts.removeAt(*i);
    }
    texts = casesSettled(boxesOf(lines), texts);
    for (size_t i = 0; i < lines.size(); ++i)
        lines[i].text = texts.at(static_cast<qsizetype>(i));
    // Pieces of one line the layout read apart come out as that one line.
    std::vector<ReadLine> whole;
    std::ranges::copy_if(lines, std::back_inserter(whole),
                         [](const ReadLine& line) { return line.text.isEmpty(); });
    std::erase_if(lines, [](const ReadLine& line) { return line.text.isEmpty(); });
    for (const QList<qsizetype>& group : piecesOfOneLine(boxesOf(lines))) {
        ReadLine line;
        QStringList words;
        for (const qsizetype i : group) {
            line.box |= lines[static_cast<size_t>(i)].box;
            words.append(lines[static_cast<size_t>(i)].text);
        }
        line.text = words.join(QLatin1Char(' '));
        whole.push_back(line);
    }
    lines = std::move(whole);
    TextRecognitionResult result;
    const double w = prepared.width();
    const double h = prepared.height();
    for (const ReadLine& line : lines) {
        RecognizedLine recognized{
            QRectF(line.box.x() / w, line.box.y() / h, line.box.width() / w, line.box.height() / h),
            std::nullopt};
        if (!line.text.isEmpty())
            recognized.text = line.text;
        result.lines.append(recognized);
    }
    return result;
}

void ScreenTextRecognizer::prepare()
{
    const QMutexLocker lock(&mutex);
    (void)engine.load();
}

void ScreenTextRecognizer::releaseIdleResources()
{
    const QMutexLocker lock(&mutex);
    helper.reset();
    engine.release();
}

} // namespace vellumbox
