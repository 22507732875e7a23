// SPDX-License-Identifier: GPL-3.0-or-later
// Reads every picture of the text recognition corpus through the program's own recogniser and
// writes, for each, the lines in the order a scan of the whole picture returns them, with their
// boxes in pixels, for score.py.
//
// usage: vellumbox_bench_ocr_corpus CORPUS_FOLDER OUTPUT_FOLDER
#include "ocr/ScreenTextRecognizer.h"
#include "ocr/TextOrdering.h"
#include "platform/TesseractEngine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

using namespace vellumbox;

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: vellumbox_bench_ocr_corpus CORPUS_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir corpus(QString::fromLocal8Bit(argv[1]));
    const QDir out(QString::fromLocal8Bit(argv[2]));
    if (!out.mkpath(QStringLiteral(".")))
        return 1;
    TesseractEngine engine;
    ScreenTextRecognizer recognizer(engine);
    const QStringList pictures =
        corpus.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
    for (const QString& name : pictures) {
        QImage image(corpus.filePath(name));
        if (image.isNull()) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(name));
            return 1;
        }
        // What recognizeText does for a whole picture, keeping the boxes it drops.
        image.setDevicePixelRatio(1.0);
        QElapsedTimer timer;
        timer.start();
        const TextRecognitionResult result = recognizer.recognize(image);
        const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        QJsonArray lines;
        for (const RecognizedLine& line : orderLines(result.lines)) {
            if (!line.text)
                continue;
            const QRectF box(line.box.x() * image.width(), line.box.y() * image.height(),
                             line.box.width() * image.width(), line.box.height() * image.height());
            lines.append(QJsonObject{{QStringLiteral("text"), *line.text},
                                     {QStringLiteral("x"), qRound(box.x())},
                                     {QStringLiteral("y"), qRound(box.y())},
                                     {QStringLiteral("w"), qRound(box.width())},
                                     {QStringLiteral("h"), qRound(box.height())}});
        }
        QJsonObject reading{{QStringLiteral("image"), name},
                            {QStringLiteral("ms"), ms},
                            {QStringLiteral("lines"), lines}};
        if (result.failure)
            reading.insert(QStringLiteral("failure"), *result.failure);
        QFile file(out.filePath(QFileInfo(name).completeBaseName() + QStringLiteral(".json")));
        if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(reading).toJson()) < 0)
            return 1;
        std::printf("%-48s %6.0f ms, %3lld lines\n", qPrintable(name), ms,
                    static_cast<long long>(lines.size()));
        std::fflush(stdout);
    }
    return pictures.isEmpty() ? 1 : 0;
}
