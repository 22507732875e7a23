// SPDX-License-Identifier: GPL-3.0-or-later
#include "TesseractRecognizer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QMutexLocker>

#include <omp.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <cmath>
#include <future>
#include <vector>

namespace vellumbox {

namespace {

struct TesseractRecognizerText {
    Q_DECLARE_TR_FUNCTIONS(TesseractRecognizer)
};

Q_LOGGING_CATEGORY(lcTextRecognition, "vellumbox.OCR")

QString defaultDataFolder()
{
    const QByteArray prefix = qgetenv("TESSDATA_PREFIX");
    if (!prefix.isEmpty())
        return QString::fromLocal8Bit(prefix);
    return QStringLiteral("/usr/share/tesseract-ocr/5/tessdata");
}

QString tesseractLanguage(const QLocale& locale)
{
    switch (locale.language()) {
    case QLocale::C:
    case QLocale::AnyLanguage:
    case QLocale::English:
        return {};
    case QLocale::Chinese:
        return locale.script() == QLocale::TraditionalHanScript ? QStringLiteral("chi_tra")
                                                                : QStringLiteral("chi_sim");
    default:
        // Tesseract names its data after ISO 639-2 terminology codes ("deu", "fra").
        return QLocale::languageToCode(locale.language(), QLocale::ISO639Part2T);
    }
}

// --- Making screen text readable -------------------------------------------------------------

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

// Dark text on white, whatever the colours were. Strokes narrower than a few pixels are told
// apart from their background by a morphological top-hat, dark strokes where the
// surroundings are mostly light and light strokes where they are mostly dark (a dark theme,
// a coloured patch), then stretched by the local contrast so that faint text turns black.
// The edges of patches, buttons and shadows are steps, not strokes, and vanish.
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
        }
    }
    return out;
}

// --- Reading --------------------------------------------------------------------------------

struct ReadLine {
    QRect box;
    QString text;
    float confidence = 0;
    // Whether any word reads as text rather than as a mark the engine doubts.
    bool hasWord = false;
};

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

std::vector<ReadLine> readLines(tesseract::TessBaseAPI& api, const QImage& gray,
                                tesseract::PageSegMode mode)
{
    api.SetPageSegMode(mode);
    api.SetImage(gray.constBits(), gray.width(), gray.height(), 1,
                 static_cast<int>(gray.bytesPerLine()));
    // Screens are not scanned paper; stating a resolution also spares the engine a guess.
    api.SetSourceResolution(96);
    std::vector<ReadLine> lines;
    if (api.Recognize(nullptr) != 0)
        return lines;
    const std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (!it)
        return lines;
    do {
        if (it->IsAtBeginningOf(tesseract::RIL_TEXTLINE)) {
            ReadLine line;
            int left = 0;
            int top = 0;
            int right = 0;
            int bottom = 0;
            if (it->BoundingBox(tesseract::RIL_TEXTLINE, &left, &top, &right, &bottom))
                line.box = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
            line.confidence = it->Confidence(tesseract::RIL_TEXTLINE);
            lines.push_back(line);
        }
        if (lines.empty() || lines.back().box.isEmpty())
            continue;
        const std::unique_ptr<char[]> utf8(it->GetUTF8Text(tesseract::RIL_WORD));
        const QString word =
            withoutGluedBorder(utf8 ? QString::fromUtf8(utf8.get()).trimmed() : QString());
        const float confidence = it->Confidence(tesseract::RIL_WORD);
        if (word.isEmpty() || looksLikeNoise(word, confidence))
            continue;
        ReadLine& line = lines.back();
        line.hasWord = line.hasWord || looksLikeWord(word, confidence);
        if (!line.text.isEmpty())
            line.text += QLatin1Char(' ');
        line.text += word;
    } while (it->Next(tesseract::RIL_WORD));
    for (ReadLine& line : lines) {
        if (!line.hasWord)
            line.text.clear();
        // The same edge may read as an opening bracket that nothing closes.
        if (line.text.size() > 1 && line.text.front() == QLatin1Char('[') &&
            line.text.at(1).isLetterOrNumber() && !line.text.contains(QLatin1Char(']')))
            line.text.remove(0, 1);
    }
    std::erase_if(lines, [](const ReadLine& line) { return line.box.isEmpty(); });
    return lines;
}

// Lines lower than this (about 11 px type) are read again enlarged: the engine's line finder
// does well on them at their own size, but its recogniser misreads their few pixels.
constexpr int smallLineHeight = 11;
constexpr double enlargedLineHeight = 32;

void rereadEnlarged(tesseract::TessBaseAPI& api, const QImage& gray, ReadLine& line)
{
    const int pad = std::max(4, line.box.height() / 2);
    const QRect area = line.box.adjusted(-pad, -pad, pad, pad);
    QImage padded(area.size(), QImage::Format_Grayscale8);
    padded.fill(255);
    const QRect inside = area.intersected(gray.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        std::copy_n(gray.constScanLine(y) + inside.left(), inside.width(),
                    padded.scanLine(y - area.top()) + (inside.left() - area.left()));
    const double scale = std::clamp(enlargedLineHeight / line.box.height(), 1.0, 3.0);
    const QImage enlarged =
        padded.scaled(padded.size() * scale, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const std::vector<ReadLine> again = readLines(api, enlarged, tesseract::PSM_SINGLE_LINE);
    if (again.size() == 1 && again.front().confidence > line.confidence) {
        line.text = again.front().text;
        line.confidence = again.front().confidence;
    }
}

// Reads one band of the prepared picture; boxes come back in the whole picture's pixels.
std::vector<ReadLine> readBand(tesseract::TessBaseAPI& api, const QImage& prepared,
                               const QRect& band)
{
    const QImage part = band == prepared.rect() ? prepared : prepared.copy(band);
    std::vector<ReadLine> lines = readLines(api, part, tesseract::PSM_AUTO);
    for (ReadLine& line : lines) {
        if (line.box.height() < smallLineHeight && !line.text.isEmpty())
            rereadEnlarged(api, part, line);
        line.box.translate(band.topLeft());
    }
    api.Clear();
    return lines;
}

// Pictures lower than this are read in one piece: starting a second reader costs more than
// it saves on a line or two.
constexpr int minimumBandedHeight = 200;
// Rows without ink that must separate the halves, so that no line is cut through.
constexpr int minimumCutGap = 4;

// The row at which a tall picture splits into two halves with about as much text each, through
// a run of empty rows; none when there is no such run.
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

} // namespace

// --- The engine ---------------------------------------------------------------------------------

struct TesseractRecognizer::Engine {
    tesseract::TessBaseAPI api;
};

TesseractRecognizer::TesseractRecognizer(QString dataFolder, QStringList languages)
    : folder(dataFolder.isEmpty() ? defaultDataFolder() : std::move(dataFolder))
    , wanted(std::move(languages))
{
    if (wanted.isEmpty()) {
        wanted = {QStringLiteral("eng")};
        const QString user = tesseractLanguage(QLocale::system());
        if (!user.isEmpty())
            wanted.append(user);
    }
}

TesseractRecognizer::~TesseractRecognizer() = default;

QStringList TesseractRecognizer::loadedLanguages() const
{
    const QMutexLocker lock(&mutex);
    return loaded;
}

std::unique_ptr<TesseractRecognizer::Engine> TesseractRecognizer::createEngine() const
{
    auto created = std::make_unique<Engine>();
    const QByteArray path = QFile::encodeName(folder);
    const QByteArray names = loaded.join(QLatin1Char('+')).toLatin1();
    if (created->api.Init(path.constData(), names.constData(), tesseract::OEM_LSTM_ONLY) != 0)
        return nullptr;
    // Lines are turned dark-on-light before they reach the engine; its own second look at
    // inverted lines would only double the time.
    created->api.SetVariable("tessedit_do_invert", "0");
    created->api.SetVariable("debug_file", "/dev/null");
    return created;
}

std::optional<QString> TesseractRecognizer::start()
{
    if (engine)
        return std::nullopt;
    const QDir dir(folder);
    const auto installed = [&dir](const QString& language) {
        return QFileInfo(dir.filePath(language + QStringLiteral(".traineddata"))).isFile();
    };
    if (!installed(QStringLiteral("eng")))
        return TesseractRecognizerText::tr("English text recognition data (eng.traineddata) is not "
                                           "installed in %1.")
            .arg(QDir::toNativeSeparators(folder));
    QStringList languages;
    for (const QString& language : std::as_const(wanted)) {
        if (installed(language) && !languages.contains(language))
            languages.append(language);
    }
    if (languages.removeAll(QStringLiteral("eng")) > 0)
        languages.prepend(QStringLiteral("eng"));
    loaded = languages;
    engine = createEngine();
    if (!engine) {
        loaded.clear();
        return TesseractRecognizerText::tr("Text recognition could not load its data from %1.")
            .arg(QDir::toNativeSeparators(folder));
    }
    qCDebug(lcTextRecognition) << "Tesseract" << tesseract::TessBaseAPI::Version() << "with"
                               << loaded;
    return std::nullopt;
}

TextRecognitionResult TesseractRecognizer::recognize(const QImage& image)
{
    if (image.isNull() || image.width() < 2 || image.height() < 2)
        return {};
    if (static_cast<qint64>(image.width()) * image.height() > maximumPixels)
        return {{},
                TesseractRecognizerText::tr(
                    "The area is too large to read text from (%1 × %2 pixels; at most "
                    "%3 million pixels).")
                    .arg(image.width())
                    .arg(image.height())
                    .arg(maximumPixels / 1'000'000)};
    // libtesseract's OpenMP loops ask for four threads by name, which omp_set_num_threads
    // cannot lower, and cost ten times more in wake-ups than they gain on a line of screen
    // text. With no active parallel level allowed, this thread runs them alone.
    omp_set_max_active_levels(0);

    const QImage prepared = readableGray(image);

    const QMutexLocker lock(&mutex);
    if (const std::optional<QString> failure = start())
        return {{}, failure};
    std::vector<ReadLine> lines;
    const std::optional<int> cut = bandCut(prepared);
    if (cut && !helper)
        helper = createEngine();
    if (cut && helper) {
        // Two cores read the halves at once; the cut runs through empty rows only, so no line
        // is split and each half keeps its own layout.
        const QRect upper(0, 0, prepared.width(), *cut);
        const QRect lower(0, *cut, prepared.width(), prepared.height() - *cut);
        auto second = std::async(std::launch::async, [this, &prepared, lower] {
            omp_set_max_active_levels(0);
            return readBand(helper->api, prepared, lower);
        });
        lines = readBand(engine->api, prepared, upper);
        std::vector<ReadLine> below = second.get();
        lines.insert(lines.end(), below.begin(), below.end());
    } else {
        lines = readBand(engine->api, prepared, prepared.rect());
    }
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

void TesseractRecognizer::releaseIdleResources()
{
    const QMutexLocker lock(&mutex);
    helper.reset();
    engine.reset();
    loaded.clear();
}

TextRecognizer& sharedTextRecognizer()
{
    // Never destroyed: a worker may still be reading when the process exits.
    static TesseractRecognizer* const recognizer = new TesseractRecognizer;
    return *recognizer;
}

} // namespace vellumbox
