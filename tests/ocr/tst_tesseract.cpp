// SPDX-License-Identifier: GPL-3.0-or-later
// The real engine, loaded from its module as the program loads it, on pictures painted here:
// how much of each kind of screen text it reads, and how it copes with input it cannot read.
#include "TextSamples.h"
#include "ocr/ScreenTextRecognizer.h"
#include "ocr/TextRecognition.h"
#include "platform/LoadableTextEngine.h"
#include "support/TestSupport.h"

#include <QHash>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

using namespace vellumbox;
using namespace vellumbox::testing;
using namespace Qt::StringLiterals;

class TestTesseract : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsScreenText_data()
    {
        columns<int, double>({"index", "bound"});
        // Pills and cells: 12-13 px text between edges the engine merges into it, held looser.
        // Frames around plain text must add nothing: one stray mark per line is their fault.
        const QHash<QString, double> bounds = {{u"coloured labels"_s, 0.10},
                                               {u"table"_s, 0.10},
                                               {u"window frame"_s, 0.01},
                                               {u"text against a frame"_s, 0.01}};
        const QList<samples::TextSample> set = samples::textSamples();
        for (int i = 0; i < set.size(); ++i)
            QTest::newRow(qPrintable(set.at(i).kind)) << i << bounds.value(set.at(i).kind, 0.05);
    }

    void readsScreenText()
    {
        const auto [index, bound] = fetch<int, double>({"index", "bound"});
        const samples::TextSample sample = samples::textSamples().at(index);
        const TextRecognitionOutcome outcome =
            recognizeText(recognizer, sample.image, std::nullopt);
        QVERIFY2(!outcome.error, qPrintable(outcome.error.value_or(QString())));
        const samples::ErrorCounts errors = samples::characterErrors(outcome.text, sample.lines);
        qInfo("%s: character error rate %.1f %% (%lld of %lld)", qPrintable(sample.kind),
              100 * errors.rate(), static_cast<long long>(errors.errors),
              static_cast<long long>(errors.length));
        QVERIFY2(errors.rate() < bound, qPrintable(outcome.text));
        QVERIFY2(samples::linesInOrder(outcome.text, sample.lines), qPrintable(outcome.text));
    }

    void whatIsMissingIsNamedEveryTime_data()
    {
        columns<bool, QByteArray, QString>({"built", "module", "reason"});
        row("no module", false, QByteArray(), u"libvellumbox_tesseract.so was not found"_s);
        row("a broken module", false, QByteArray("not a module"), u"could not be loaded"_s);
        row("no language data", true, QByteArray(), u"eng.traineddata"_s);
    }

    void whatIsMissingIsNamedEveryTime()
    {
        const auto [built, module, reason] =
            fetch<bool, QByteArray, QString>({"built", "module", "reason"});
        QTemporaryDir folder;
        QFile file(folder.filePath(moduleName));
        QVERIFY(module.isEmpty() || (file.open(QIODevice::WriteOnly) && file.write(module)));
        file.close();
        // The engine looks for its data where TESSDATA_PREFIX says, when the module makes it.
        const auto restore = qScopeGuard(
            [prefix = qgetenv("TESSDATA_PREFIX")] { qputenv("TESSDATA_PREFIX", prefix); });
        qputenv("TESSDATA_PREFIX", QFile::encodeName(folder.path()));
        LoadableTextEngine incomplete(
            moduleName, {built ? QStringLiteral(VELLUMBOX_MODULE_BUILD_DIR) : folder.path()});
        ScreenTextRecognizer reader(incomplete);
        // Loading ahead fails quietly: the reading says why.
        reader.prepare();
        for (int attempt = 0; attempt < 2; ++attempt) {
            const TextRecognitionOutcome outcome =
                recognizeText(reader, filledPicture({40, 20}, Qt::white), std::nullopt);
            QVERIFY(outcome.error && outcome.text.isEmpty());
            QVERIFY2(outcome.error->contains(reason) && outcome.error->contains(folder.path()),
                     qPrintable(*outcome.error));
        }
        // Too large to read at all: refused, and said so.
        const auto huge = recognizer.recognize(QImage(9000, 5000, QImage::Format_Mono)).failure;
        QVERIFY2(huge && huge->contains(u"9000 × 5000"_s), qPrintable(huge.value_or(QString())));
    }

    void concurrentCallsGiveTheSameText()
    {
        const QImage image = samples::smallRegion().image;
        const QString alone = recognizeText(recognizer, image, std::nullopt).text;
        QVERIFY(!alone.isEmpty());
        QThreadPool pool;
        pool.setMaxThreadCount(3);
        QList<QFuture<TextRecognitionOutcome>> runs;
        for (int i = 0; i < 3; ++i)
            runs.append(QtConcurrent::run(
                &pool, [this, image] { return recognizeText(recognizer, image, std::nullopt); }));
        for (QFuture<TextRecognitionOutcome>& run : runs)
            QCOMPARE(run.result().text, alone);
        // The engines let their data go, and load it again for the next reading.
        recognizer.releaseIdleResources();
        QCOMPARE(recognizeText(recognizer, image, std::nullopt).text, alone);
    }

private:
    const QString moduleName = u"libvellumbox_tesseract.so"_s;
    LoadableTextEngine engine{moduleName, {QStringLiteral(VELLUMBOX_MODULE_BUILD_DIR)}};
    ScreenTextRecognizer recognizer{engine};
};

QTEST_MAIN(TestTesseract)
#include "tst_tesseract.moc"
