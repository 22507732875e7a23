// SPDX-License-Identifier: GPL-3.0-or-later
#include "TesseractEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QLoggingCategory>

#include <leptonica/allheaders.h>
#include <omp.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

namespace vellumbox {

namespace {

struct TesseractEngineText {
    Q_DECLARE_TR_FUNCTIONS(TesseractEngine)
};

Q_LOGGING_CATEGORY(lcTextRecognition, "vellumbox.OCR")

QString defaultDataFolder()
{
    const QByteArray prefix = qgetenv("TESSDATA_PREFIX");
    if (!prefix.isEmpty())
        return QString::fromLocal8Bit(prefix);
    return QStringLiteral("/usr/share/tesseract-ocr/5/tessdata");
}

QString tesseractLanguage(const QLocale& locale)
{
    switch (locale.language()) {
    case QLocale::C:
    case QLocale::AnyLanguage:
    case QLocale::English:
        return {};
    case QLocale::Chinese:
        return locale.script() == QLocale::TraditionalHanScript ? QStringLiteral("chi_tra")
                                                                : QStringLiteral("chi_sim");
    default:
        // Tesseract names its data after ISO 639-2 terminology codes ("deu", "fra").
        return QLocale::languageToCode(locale.language(), QLocale::ISO639Part2T);
    }
}

// Each line that has a box, with its words; the words of a line without one go with it.
QList<EngineLine> linesOf(tesseract::ResultIterator& it, QPoint offset)
{
    const auto boxAt = [&it, offset](tesseract::PageIteratorLevel level) {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
        if (!it.BoundingBox(level, &left, &top, &right, &bottom))
            return QRect();
        return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).translated(offset);
    };
    QList<EngineLine> lines;
    bool boxed = false;
    do {
        if (it.IsAtBeginningOf(tesseract::RIL_TEXTLINE)) {
            const QRect box = boxAt(tesseract::RIL_TEXTLINE);
            boxed = !box.isEmpty();
            if (boxed)
                lines.append({box, it.Confidence(tesseract::RIL_TEXTLINE), {}});
        }
        if (!boxed)
            continue;
        const std::unique_ptr<char[]> utf8(it.GetUTF8Text(tesseract::RIL_WORD));
        lines.back().words.append({utf8 ? QString::fromUtf8(utf8.get()) : QString(),
                                   it.Confidence(tesseract::RIL_WORD), boxAt(tesseract::RIL_WORD)});
    } while (it.Next(tesseract::RIL_WORD));
    return lines;
}

} // namespace

TesseractEngine::TesseractEngine(QString dataFolder, QStringList languages)
    : folder(dataFolder.isEmpty() ? defaultDataFolder() : std::move(dataFolder))
    , wanted(std::move(languages))
{
    if (wanted.isEmpty()) {
        wanted = {QStringLiteral("eng")};
        const QString user = tesseractLanguage(QLocale::system());
        if (!user.isEmpty())
            wanted.append(user);
    }
}

TesseractEngine::~TesseractEngine() = default;

std::unique_ptr<tesseract::TessBaseAPI> TesseractEngine::createApi() const
{
    // The image library writes its complaints about regions at a picture's edge to stderr;
    // they change nothing in what is read.
    setMsgSeverity(L_SEVERITY_NONE);
    auto created = std::make_unique<tesseract::TessBaseAPI>();
    const QByteArray path = QFile::encodeName(folder);
    const QByteArray names = loaded.join(QLatin1Char('+')).toLatin1();
    if (created->Init(path.constData(), names.constData(), tesseract::OEM_LSTM_ONLY) != 0)
        return nullptr;
    // Lines are turned dark-on-light before they reach the engine; its own second look at
    // inverted lines would only double the time.
    created->SetVariable("tessedit_do_invert", "0");
    created->SetVariable("debug_file", "/dev/null");
    return created;
}

std::optional<QString> TesseractEngine::load()
{
    if (api)
        return std::nullopt;
    const QDir dir(folder);
    const auto installed = [&dir](const QString& language) {
        return QFileInfo(dir.filePath(language + QStringLiteral(".traineddata"))).isFile();
    };
    if (!installed(QStringLiteral("eng")))
        return TesseractEngineText::tr("English text recognition data (eng.traineddata) is not "
                                       "installed in %1.")
            .arg(QDir::toNativeSeparators(folder));
    QStringList languages;
    for (const QString& language : std::as_const(wanted)) {
        if (installed(language) && !languages.contains(language))
            languages.append(language);
    }
    if (languages.removeAll(QStringLiteral("eng")) > 0)
        languages.prepend(QStringLiteral("eng"));
    loaded = languages;
    api = createApi();
    if (!api) {
        loaded.clear();
        return TesseractEngineText::tr("Text recognition could not load its data from %1.")
            .arg(QDir::toNativeSeparators(folder));
    }
    qCDebug(lcTextRecognition) << "Tesseract" << tesseract::TessBaseAPI::Version() << "with"
                               << loaded;
    return std::nullopt;
}

QList<EngineLine> TesseractEngine::read(const QImage& gray, const QRect& region,
                                        EngineLayout layout)
{
    if (!api)
        return {};
    // libtesseract's OpenMP loops ask for four threads by name, which omp_set_num_threads
    // cannot lower, and cost ten times more in wake-ups than they gain on a line of screen
    // text. With no active parallel level allowed, the reading thread runs them alone.
    omp_set_max_active_levels(0);
    const QImage part = region == gray.rect() ? gray : gray.copy(region);
    switch (layout) {
    case EngineLayout::Page:
        api->SetPageSegMode(tesseract::PSM_AUTO);
        break;
    case EngineLayout::SingleLine:
        api->SetPageSegMode(tesseract::PSM_SINGLE_LINE);
        break;
    case EngineLayout::SingleWord:
        api->SetPageSegMode(tesseract::PSM_SINGLE_WORD);
        break;
    }
    api->SetImage(part.constBits(), part.width(), part.height(), 1,
                  static_cast<int>(part.bytesPerLine()));
    // Screens are not scanned paper; stating a resolution also spares the engine a guess.
    api->SetSourceResolution(96);
    QList<EngineLine> lines;
    if (api->Recognize(nullptr) == 0) {
        const std::unique_ptr<tesseract::ResultIterator> it(api->GetIterator());
        if (it)
            lines = linesOf(*it, region.topLeft());
    }
    api->Clear();
    return lines;
}

std::unique_ptr<TextEngine> TesseractEngine::twin()
{
    if (!api)
        return nullptr;
    auto other = std::make_unique<TesseractEngine>(folder, loaded);
    other->loaded = loaded;
    other->api = other->createApi();
    if (!other->api)
        return nullptr;
    return other;
}

void TesseractEngine::release()
{
    api.reset();
    loaded.clear();
}

} // namespace vellumbox
