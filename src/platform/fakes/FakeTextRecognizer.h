// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../TextRecognizer.h"

#include <QMutex>
#include <QMutexLocker>

#include <atomic>

namespace vellumbox::fakes {

// Answers with scripted lines and keeps every image it was asked to read.
class FakeTextRecognizer final : public TextRecognizer {
public:
    QList<RecognizedLine> lines;

    TextRecognitionResult recognize(const QImage& image) override
    {
        const QMutexLocker lock(&mutex);
        images.append(image);
        return {lines, std::nullopt};
    }

    void prepare() override { ++preparations; }
    void releaseIdleResources() override { ++releases; }

    std::atomic<int> preparations = 0;
    std::atomic<int> releases = 0;

    QList<QImage> receivedImages() const
    {
        const QMutexLocker lock(&mutex);
        return images;
    }

private:
    mutable QMutex mutex;
    QList<QImage> images;
};

} // namespace vellumbox::fakes
