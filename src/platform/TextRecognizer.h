// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>

#include <optional>

namespace vellumbox {

struct RecognizedLine {
    // Normalised to the recognised image: 0..1, origin top-left, y downwards.
    QRectF box;
    // The best reading of the line; absent when the recogniser has none.
    std::optional<QString> text;
};

struct TextRecognitionResult {
    QList<RecognizedLine> lines;
    // A human-readable reason when recognition could not run at all.
    std::optional<QString> failure;
};

// Reads the lines of text out of an image. Implementations must accept calls from several
// worker threads at once.
class TextRecognizer {
public:
    virtual ~TextRecognizer() = default;
    virtual TextRecognitionResult recognize(const QImage& image) = 0;
    // Loads ahead what the next recognition needs, such as language data.
    virtual void prepare() {}
    // Frees what the next recognition can build again, such as loaded language data.
    virtual void releaseIdleResources() {}
};

} // namespace vellumbox
