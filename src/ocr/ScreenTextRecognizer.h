// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/TextEngine.h"
#include "platform/TextRecognizer.h"

#include <QMutex>

#include <memory>

namespace vellumbox {

// Reads text on screen through an engine: the picture is made dark on white (barsTurnedOver,
// readableStrokes, fillLargeType), the engine finds its lines in blocks side by side or in two
// bands of a tall picture at once (sideBySideBlocks, bandCut), their words are filtered
// (keptWords), small and doubtful lines are read again alone and enlarged, and ink the layout
// left unread, beside a line's words or on its own, is read line by line (InkLines). One engine
// behind a lock, since an engine is not thread-safe and a second one for every caller would
// double the memory for no gain on a small machine; only blocks read at once get a second one.
class ScreenTextRecognizer final : public TextRecognizer {
public:
    // Larger images are refused: reading them takes minutes and gigabytes.
    static constexpr qint64 maximumPixels = 40'000'000;

    explicit ScreenTextRecognizer(TextEngine& engine);
    ~ScreenTextRecognizer() override;
    ScreenTextRecognizer(const ScreenTextRecognizer&) = delete;
    ScreenTextRecognizer& operator=(const ScreenTextRecognizer&) = delete;

    TextRecognitionResult recognize(const QImage& image) override;
    // Loads the engine's language data; a failure is reported by the next recognition.
    void prepare() override;
    // Unloads the engines' language data; the next recognition loads it again.
    void releaseIdleResources() override;

private:
    QMutex mutex;
    TextEngine& engine;
    // The second engine, for the lower band of a tall picture, made on first need.
    std::unique_ptr<TextEngine> helper;
};

} // namespace vellumbox
