// SPDX-License-Identifier: GPL-3.0-or-later
// Text recognition: time for a small region and a whole screen, and the character and word
// error rates over the test pictures next to those of the tesseract command with its defaults.
#include "BenchStats.h"
#include "TextSamples.h"
#include "ocr/ScreenTextRecognizer.h"
#include "ocr/TextRecognition.h"
#include "platform/TesseractEngine.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

using namespace vellumbox;

namespace {

QList<double> timings(TextRecognizer& recognizer, const QImage& image, int runs)
{
    QList<double> ms;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        recognizeText(recognizer, image, std::nullopt);
        ms.append(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return ms;
}

std::optional<QString> commandLineText(const QImage& image, const QString& path)
{
    if (!image.save(path))
        return std::nullopt;
    QProcess tesseract;
    tesseract.start(QStringLiteral("tesseract"), {path, QStringLiteral("stdout")});
    if (!tesseract.waitForFinished(60'000) || tesseract.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(tesseract.readAllStandardOutput());
}

QString percent(const samples::ErrorCounts& counts)
{
    return QString::number(100.0 * counts.rate(), 'f', 1) + QStringLiteral(" %");
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    TesseractEngine engine;
    ScreenTextRecognizer recognizer(engine);
    // The program loads the language data when a scan opens, while the region is dragged;
    // the first recognition after that is timed apart.
    QElapsedTimer first;
    first.start();
    recognizer.prepare();
    bench::reportValue(QStringLiteral("loading the data (while the region is dragged)"),
                       static_cast<double>(first.nsecsElapsed()) / 1e6, QStringLiteral("ms"));
    first.start();
    recognizeText(recognizer, samples::smallRegion().image, std::nullopt);
    bench::reportValue(QStringLiteral("first recognition, 800 x 200, data loaded"),
                       static_cast<double>(first.nsecsElapsed()) / 1e6, QStringLiteral("ms"));
    bench::report(QStringLiteral("recognition, 800 x 200 region of interface text"),
                  timings(recognizer, samples::smallRegion().image, 15));
    bench::report(QStringLiteral("recognition, 1920 x 1080 screen of text"),
                  timings(recognizer, samples::fullScreen().image, 3));

    QTemporaryDir dir;
    samples::ErrorCounts ours;
    samples::ErrorCounts ourWords;
    samples::ErrorCounts theirs;
    samples::ErrorCounts theirWords;
    QList<samples::TextSample> set = samples::textSamples();
    set.append(samples::smallRegion());
    std::printf("%-22s %9s %9s   %9s %9s\n", "error rates", "CER", "WER", "CLI CER", "CLI WER");
    for (const samples::TextSample& sample : std::as_const(set)) {
        const QString read = recognizeText(recognizer, sample.image, std::nullopt).text;
        const auto c = samples::characterErrors(read, sample.lines);
        const auto w = samples::wordErrors(read, sample.lines);
        ours.errors += c.errors;
        ours.length += c.length;
        ourWords.errors += w.errors;
        ourWords.length += w.length;
        const std::optional<QString> cli =
            commandLineText(sample.image, dir.filePath(QStringLiteral("sample.png")));
        QString cliC = QStringLiteral("n/a");
        QString cliW = QStringLiteral("n/a");
        if (cli) {
            const auto cc = samples::characterErrors(*cli, sample.lines);
            const auto cw = samples::wordErrors(*cli, sample.lines);
            theirs.errors += cc.errors;
            theirs.length += cc.length;
            theirWords.errors += cw.errors;
            theirWords.length += cw.length;
            cliC = percent(cc);
            cliW = percent(cw);
        }
        std::printf("%-22s %9s %9s   %9s %9s\n", qPrintable(sample.kind), qPrintable(percent(c)),
                    qPrintable(percent(w)), qPrintable(cliC), qPrintable(cliW));
        if (qEnvironmentVariableIsSet("VELLUMBOX_BENCH_SHOW_TEXT"))
            std::printf("---\n%s\n---\n%s\n===\n", qPrintable(read),
                        qPrintable(cli.value_or(QString())));
    }
    std::printf("%-22s %9s %9s   %9s %9s\n", "whole set", qPrintable(percent(ours)),
                qPrintable(percent(ourWords)), qPrintable(percent(theirs)),
                qPrintable(percent(theirWords)));
    return 0;
}
