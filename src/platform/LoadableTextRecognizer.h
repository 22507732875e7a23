// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TextRecognizer.h"

#include <QLibrary>
#include <QMutex>
#include <QStringList>

#include <memory>

namespace vellumbox {

// The name of the module's factory: TextRecognizer* (*)().
inline constexpr auto textRecognizerFactory = "vellumbox_create_text_recognizer";

// Loads the text recognition module on the first recognition, so that Tesseract and the
// dozens of libraries behind it cost nothing at start and nothing until someone reads text.
class LoadableTextRecognizer final : public TextRecognizer {
public:
    // The module's file name without folder, looked for in each folder in turn.
    LoadableTextRecognizer(QString moduleName, QStringList folders);
    ~LoadableTextRecognizer() override;
    LoadableTextRecognizer(const LoadableTextRecognizer&) = delete;
    LoadableTextRecognizer& operator=(const LoadableTextRecognizer&) = delete;

    TextRecognitionResult recognize(const QImage& image) override;
    void releaseIdleResources() override;

private:
    TextRecognizer* load(QString* failure);

    QString moduleName_;
    QStringList folders_;
    QMutex mutex_;
    QLibrary library_;
    std::unique_ptr<TextRecognizer> loaded_;
    QString failure_;
};

// Where the module lies beside the running program: its own folder (a build tree), then the
// installed module folder.
QStringList textRecognitionModuleFolders();

} // namespace vellumbox
