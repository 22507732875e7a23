// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoadableTextRecognizer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutexLocker>

namespace vellumbox {

namespace {

struct LoadableTextRecognizerText {
    Q_DECLARE_TR_FUNCTIONS(LoadableTextRecognizer)
};

} // namespace

LoadableTextRecognizer::LoadableTextRecognizer(QString moduleName, QStringList folders)
    : moduleName_(std::move(moduleName))
    , folders_(std::move(folders))
{}

// The recogniser goes before the library handle, and QLibrary never unloads the module on
// its own, so the recogniser's code is still there while it is destroyed.
LoadableTextRecognizer::~LoadableTextRecognizer() = default;

TextRecognizer* LoadableTextRecognizer::load(QString* failure)
{
    const QMutexLocker lock(&mutex_);
    if (loaded_)
        return loaded_.get();
    if (!failure_.isEmpty()) {
        *failure = failure_;
        return nullptr;
    }
    QString path;
    for (const QString& folder : std::as_const(folders_)) {
        const QString candidate = QDir(folder).filePath(moduleName_);
        if (QFileInfo::exists(candidate)) {
            path = candidate;
            break;
        }
    }
    if (path.isEmpty()) {
        failure_ = LoadableTextRecognizerText::tr(
                       "Text recognition is not installed (%1 was not found in %2).")
                       .arg(moduleName_, folders_.join(QStringLiteral(", ")));
    } else {
        library_.setFileName(path);
        using Factory = TextRecognizer* (*)();
        const auto create = reinterpret_cast<Factory>(library_.resolve(textRecognizerFactory));
        if (create)
            loaded_.reset(create());
        if (!loaded_)
            failure_ = LoadableTextRecognizerText::tr("Text recognition could not be loaded: %1")
                           .arg(library_.errorString());
    }
    *failure = failure_;
    return loaded_.get();
}

TextRecognitionResult LoadableTextRecognizer::recognize(const QImage& image)
{
    QString failure;
    TextRecognizer* recognizer = load(&failure);
    if (!recognizer)
        return {{}, failure};
    return recognizer->recognize(image);
}

void LoadableTextRecognizer::releaseIdleResources()
{
    TextRecognizer* recognizer = nullptr;
    {
        const QMutexLocker lock(&mutex_);
        recognizer = loaded_.get();
    }
    // The module stays: only what it loaded for reading goes.
    if (recognizer)
        recognizer->releaseIdleResources();
}

QStringList textRecognitionModuleFolders()
{
    const QString bin = QCoreApplication::applicationDirPath();
    return {bin, QDir::cleanPath(bin + QLatin1Char('/') + QStringLiteral(VELLUMBOX_MODULE_DIR))};
}

} // namespace vellumbox
