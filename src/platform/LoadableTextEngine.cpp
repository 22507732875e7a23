// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoadableTextEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace vellumbox {

namespace {

struct LoadableTextEngineText {
    Q_DECLARE_TR_FUNCTIONS(LoadableTextEngine)
};

} // namespace

LoadableTextEngine::LoadableTextEngine(QString moduleName, QStringList folders)
    : moduleName_(std::move(moduleName))
    , folders_(std::move(folders))
{}

// The engine goes before the library handle, and QLibrary never unloads the module on its own,
// so the engine's code is still there while it is destroyed.
LoadableTextEngine::~LoadableTextEngine() = default;

std::optional<QString> LoadableTextEngine::load()
{
    if (!loaded_ && failure_.isEmpty()) {
        QString path;
        for (const QString& folder : std::as_const(folders_)) {
            const QString candidate = QDir(folder).filePath(moduleName_);
            if (QFileInfo::exists(candidate)) {
                path = candidate;
                break;
            }
        }
        if (path.isEmpty()) {
            failure_ = LoadableTextEngineText::tr(
                           "Text recognition is not installed (%1 was not found in %2).")
                           .arg(moduleName_, folders_.join(QStringLiteral(", ")));
        } else {
            library_.setFileName(path);
            using Factory = TextEngine* (*)();
            const auto create = reinterpret_cast<Factory>(library_.resolve(textEngineFactory));
            if (create)
                loaded_.reset(create());
            if (!loaded_)
                failure_ = LoadableTextEngineText::tr("Text recognition could not be loaded: %1")
                               .arg(library_.errorString());
        }
    }
    if (!loaded_)
        return failure_;
    return loaded_->load();
}

QList<EngineLine> LoadableTextEngine::read(const QImage& gray, const QRect& region,
                                           EngineLayout layout)
{
    return loaded_ ? loaded_->read(gray, region, layout) : QList<EngineLine>();
}

std::unique_ptr<TextEngine> LoadableTextEngine::twin()
{
    return loaded_ ? loaded_->twin() : nullptr;
}

void LoadableTextEngine::release()
{
    if (loaded_)
        loaded_->release();
}

QStringList textRecognitionModuleFolders()
{
    const QString bin = QCoreApplication::applicationDirPath();
    return {bin, QDir::cleanPath(bin + QLatin1Char('/') + QStringLiteral(VELLUMBOX_MODULE_DIR))};
}

} // namespace vellumbox
