// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/TextRecognizer.h"

#include <QFuture>
#include <QImage>
#include <QRectF>
#include <QString>

#include <optional>

namespace vellumbox {

// A minute without reading text, and the recogniser's data goes.
inline constexpr int idleReleaseDelayMs = 60'000;

struct TextRecognitionOutcome {
    // The lines in reading order, joined by line feeds; empty when nothing was read.
    QString text;
    // Set when recognition failed; the reason is meant for the user.
    std::optional<QString> error;
};

// Reads the text inside `region`, given in the image's points (pixel size divided by its
// device pixel ratio; origin top-left, y downwards), or the whole image without one. A region
// that covers no pixel reads as empty text. Blocks; call it off the main thread.
TextRecognitionOutcome recognizeText(TextRecognizer& recognizer, const QImage& image,
                                     std::optional<QRectF> region);

// The same on a thread pool of its own, so that recognition never waits behind other
// background work; watch the future with a QFutureWatcher to get the outcome on the main
// thread. `recognizer` must outlive the future.
QFuture<TextRecognitionOutcome> recognizeTextAsync(TextRecognizer& recognizer, const QImage& image,
                                                   std::optional<QRectF> region);

// Loads the recogniser's data on the recognition thread, so that a recognition asked for soon
// after finds it ready: call it when the user starts choosing what to read.
// `recognizer` must outlive the future.
QFuture<void> prepareTextRecognition(TextRecognizer& recognizer);

// After `delayMs` without another call, frees what the recogniser loaded for reading (tens of
// megabytes of language data), on the recognition thread, so never during a recognition.
// Call it on the main thread after each recognition.
void releaseWhenIdle(TextRecognizer& recognizer, int delayMs = idleReleaseDelayMs);

} // namespace vellumbox
