// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TextEngine.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace tesseract {
class TessBaseAPI;
}

namespace vellumbox {

// Tesseract's LSTM engine: English plus the user's language when its data is installed. Its
// API object is not thread-safe, hence one caller at a time.
class TesseractEngine final : public TextEngine {
public:
    // Without a data folder, TESSDATA_PREFIX or else the system's tessdata folder is used.
    // Without languages, English and the language of the system locale are asked for.
    explicit TesseractEngine(QString dataFolder = {}, QStringList languages = {});
    ~TesseractEngine() override;
    TesseractEngine(const TesseractEngine&) = delete;
    TesseractEngine& operator=(const TesseractEngine&) = delete;

    std::optional<QString> load() override;
    QList<EngineLine> read(const QImage& gray, const QRect& region, EngineLayout layout) override;
    std::unique_ptr<TextEngine> twin() override;
    void release() override;

    QString dataFolder() const { return folder; }
    // The languages whose data is installed, English first; empty until loaded.
    QStringList loadedLanguages() const { return loaded; }

private:
    std::unique_ptr<tesseract::TessBaseAPI> createApi() const;

    QString folder;
    QStringList wanted;
    QStringList loaded;
    std::unique_ptr<tesseract::TessBaseAPI> api;
};

} // namespace vellumbox
