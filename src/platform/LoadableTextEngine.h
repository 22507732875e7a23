// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TextEngine.h"

#include <QLibrary>
#include <QStringList>

#include <memory>

namespace vellumbox {

// The name of the module's factory: TextEngine* (*)().
inline constexpr auto textEngineFactory = "vellumbox_create_text_engine";

// Loads the text recognition module on the first load(), so that Tesseract and the dozens of
// libraries behind it cost nothing at start and nothing until someone reads text. A module that
// is missing or does not load is the reason load() gives, every time.
class LoadableTextEngine final : public TextEngine {
public:
    // The module's file name without folder, looked for in each folder in turn.
    LoadableTextEngine(QString moduleName, QStringList folders);
    ~LoadableTextEngine() override;
    LoadableTextEngine(const LoadableTextEngine&) = delete;
    LoadableTextEngine& operator=(const LoadableTextEngine&) = delete;

    std::optional<QString> load() override;
    QList<EngineLine> read(const QImage& gray, const QRect& region, EngineLayout layout) override;
    std::unique_ptr<TextEngine> twin() override;
    // The module stays: only what it loaded for reading goes.
    void release() override;

private:
    QString moduleName_;
    QStringList folders_;
    QLibrary library_;
    std::unique_ptr<TextEngine> loaded_;
    QString failure_;
};

// Where the module lies beside the running program: its own folder (a build tree), then the
// installed module folder.
QStringList textRecognitionModuleFolders();

} // namespace vellumbox
