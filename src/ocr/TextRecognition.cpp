// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextRecognition.h"

#include "OcrGeometry.h"
#include "TextOrdering.h"
#include "platform/Memory.h"

#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace vellumbox {

namespace {

// One thread: the recogniser serialises its work anyway, and a queue keeps a second selection
// from holding a worker that the rest of the application could use.
QThreadPool& recognitionPool()
{
    static QThreadPool* const pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(1);
        p->setObjectName(QStringLiteral("vellumbox-ocr"));
        return p;
    }();
    return *pool;
}

} // namespace

void releaseWhenIdle(TextRecognizer& recognizer, int delayMs)
{
    static QTimer* const timer = [] {
        auto* t = new QTimer;
        t->setSingleShot(true);
        return t;
    }();
    QObject::disconnect(timer, &QTimer::timeout, nullptr, nullptr);
    QObject::connect(timer, &QTimer::timeout, timer, [&recognizer] {
        // Queued behind any recognition still waiting for the one thread.
        (void)QtConcurrent::run(&recognitionPool(), [&recognizer] {
            recognizer.releaseIdleResources();
            releaseFreedMemory();
        });
    });
    timer->start(delayMs);
}

QFuture<void> prepareTextRecognition(TextRecognizer& recognizer)
{
    return QtConcurrent::run(&recognitionPool(), [&recognizer] { recognizer.prepare(); });
}

TextRecognitionOutcome recognizeText(TextRecognizer& recognizer, const QImage& image,
                                     std::optional<QRectF> region)
{
    if (image.isNull())
        return {};
    QImage bitmap = image;
    if (region) {
        const QRect crop = cropRectForRegion(*region, image.deviceIndependentSize(), image.size());
        if (crop.isEmpty())
            return {};
        bitmap = image.copy(crop);
    }
    bitmap.setDevicePixelRatio(1.0);
    const TextRecognitionResult result = recognizer.recognize(bitmap);
    if (result.failure)
        return {QString(), result.failure};
    return {joinLines(orderLines(result.lines)), std::nullopt};
}

QFuture<TextRecognitionOutcome> recognizeTextAsync(TextRecognizer& recognizer, const QImage& image,
                                                   std::optional<QRectF> region)
{
    return QtConcurrent::run(&recognitionPool(), [&recognizer, image, region] {
        return recognizeText(recognizer, image, region);
    });
}

} // namespace vellumbox
