// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenTextRecognizer.h"

#include "BandCut.h"
#include "ImagePreparation.h"
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
};

std::vector<ReadLine> readLines(TextEngine& engine, const QImage& gray, const QRect& region,
                                EngineLayout layout)
{
    std::vector<ReadLine> lines;
    for (const EngineLine& line : engine.read(gray, region, layout))
        lines.push_back({line.box, keptText(line.words), line.confidence});
    return lines;
}

// Lines lower than this (about 11 px type) are read again enlarged: the engine's line finder
// does well on them at their own size, but its recogniser misreads their few pixels.
constexpr int smallLineHeight = 11;
constexpr double enlargedLineHeight = 32;

void rereadEnlarged(TextEngine& engine, const QImage& prepared, const QRect& band, ReadLine& line)
{
    const int pad = std::max(4, line.box.height() / 2);
    const QRect area = line.box.adjusted(-pad, -pad, pad, pad);
    QImage padded(area.size(), QImage::Format_Grayscale8);
    padded.fill(255);
    // Only what the band holds: the line is read as its band would show it alone.
    const QRect inside = area.intersected(band);
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        std::copy_n(prepared.constScanLine(y) + inside.left(), inside.width(),
                    padded.scanLine(y - area.top()) + (inside.left() - area.left()));
    const double scale = std::clamp(enlargedLineHeight / line.box.height(), 1.0, 3.0);
    const QImage enlarged =
        padded.scaled(padded.size() * scale, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const std::vector<ReadLine> again =
        readLines(engine, enlarged, enlarged.rect(), EngineLayout::SingleLine);
    if (again.size() == 1 && again.front().confidence > line.confidence) {
        line.text = again.front().text;
        line.confidence = again.front().confidence;
    }
}

// Reads one band of the prepared picture with its own layout; layout stays at the original
// size, since enlarged pages make the engine split tables and columns.
std::vector<ReadLine> readBand(TextEngine& engine, const QImage& prepared, const QRect& band)
{
    std::vector<ReadLine> lines = readLines(engine, prepared, band, EngineLayout::Page);
    for (ReadLine& line : lines) {
        if (line.box.height() < smallLineHeight && !line.text.isEmpty())
            rereadEnlarged(engine, prepared, band, line);
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

    const QImage prepared = readableGray(image);

    const QMutexLocker lock(&mutex);
    if (const std::optional<QString> failure = engine.load())
        return {{}, failure};
    std::vector<ReadLine> lines;
    const std::optional<int> cut = bandCut(prepared);
    if (cut && !helper)
        helper = engine.twin();
    if (cut && helper) {
        // Two cores read the halves at once; the cut runs through empty rows only, so no line
        // is split and each half keeps its own layout.
        const QRect upper(0, 0, prepared.width(), *cut);
        const QRect lower(0, *cut, prepared.width(), prepared.height() - *cut);
        auto second = std::async(std::launch::async, [this, &prepared, lower] {
            return readBand(*helper, prepared, lower);
        });
        lines = readBand(engine, prepared, upper);
        std::vector<ReadLine> below = second.get();
        lines.insert(lines.end(), below.begin(), below.end());
    } else {
        lines = readBand(engine, prepared, prepared.rect());
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

void ScreenTextRecognizer::releaseIdleResources()
{
    const QMutexLocker lock(&mutex);
    helper.reset();
    engine.release();
}

} // namespace vellumbox
