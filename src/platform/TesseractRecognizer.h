// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TextRecognizer.h"

#include <QMutex>
#include <QString>
#include <QStringList>

#include <memory>

namespace vellumbox {

// Tesseract's LSTM engine tuned for text on screen: English plus the user's language when its
// data is installed. One engine behind a lock, because Tesseract's API object is not
// thread-safe and a second engine would double the memory for no gain on a small machine.
class TesseractRecognizer final : public TextRecognizer {
public:
    // Larger images are refused: reading them takes minutes and gigabytes.
    static constexpr qint64 maximumPixels = 40'000'000;

    // Without a data folder, TESSDATA_PREFIX or else the system's tessdata folder is used.
    // Without languages, English and the language of the system locale are asked for.
    explicit TesseractRecognizer(QString dataFolder = {}, QStringList languages = {});
    ~TesseractRecognizer() override;
    TesseractRecognizer(const TesseractRecognizer&) = delete;
    TesseractRecognizer& operator=(const TesseractRecognizer&) = delete;

    TextRecognitionResult recognize(const QImage& image) override;
    // Unloads the engine and its language data; the next recognition loads them again.
    void releaseIdleResources() override;

    QString dataFolder() const { return folder; }
    // The languages whose data is installed, English first; empty until the first recognition.
    QStringList loadedLanguages() const;

private:
    struct Engine;
    std::optional<QString> start();
    std::unique_ptr<Engine> createEngine() const;

    QString folder;
    QStringList wanted;
    QStringList loaded;
    mutable QMutex mutex;
    std::unique_ptr<Engine> engine;
    // A second engine, for the lower half of a tall picture, made on first need.
    std::unique_ptr<Engine> helper;
};

// The application's recogniser, created on first use and kept for the life of the process.
TextRecognizer& sharedTextRecognizer();

} // namespace vellumbox
