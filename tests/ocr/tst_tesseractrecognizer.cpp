// SPDX-License-Identifier: GPL-3.0-or-later
// The real engine on pictures painted here: how much of each kind of screen text it reads,
// and how it copes with input it cannot read.
#include "TextSamples.h"
#include "ocr/ScreenTextRecognizer.h"
#include "ocr/TextOrdering.h"
#include "ocr/TextRecognition.h"
#include "platform/TesseractEngine.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

using namespace vellumbox;
using namespace vellumbox::testing;

class TestTesseractRecognizer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsScreenText_data()
    {
        columns<int, double>({"index", "bound"});
        const QList<samples::TextSample> set = samples::textSamples();
        for (int i = 0; i < set.size(); ++i) {
            // Pills and cells: 12-13 px text between edges the engine merges into it, held looser.
            // Frames around plain text must add nothing: one stray mark per line is their fault.
            const QString& kind = set.at(i).kind;
            double bound = 0.05;
            if (kind == QStringLiteral("coloured labels") || kind == QStringLiteral("table"))
                bound = 0.10;
            else if (kind == QStringLiteral("window frame") ||
                     kind == QStringLiteral("text against a frame"))
                bound = 0.01;
            QTest::newRow(qPrintable(kind)) << i << bound;
        }
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

    void linesCarryBoxesOnTheImageAfterAReleaseToo()
    {
        // Two lines, the second at the right half and lower: its box must say so.
        const QImage image = samples::printed({400, 100},
                                              {{{10, 30}, QStringLiteral("Upper left words")},
                                               {{220, 80}, QStringLiteral("Lower right")}},
                                              16);
        for (int round = 0; round < 2; ++round) {
            const TextRecognitionResult result = recognizer.recognize(image);
            QVERIFY(!result.failure);
            QVERIFY(!engine.loadedLanguages().isEmpty());
            QCOMPARE(result.lines.size(), 2);
            const QList<RecognizedLine> lines = orderLines(result.lines);
            const RecognizedLine& upper = lines.at(0);
            const RecognizedLine& lower = lines.at(1);
            QCOMPARE(upper.text, std::optional<QString>(QStringLiteral("Upper left words")));
            QCOMPARE(lower.text, std::optional<QString>(QStringLiteral("Lower right")));
            QVERIFY(upper.box.left() < 0.1 && upper.box.bottom() < 0.4);
            QVERIFY(lower.box.left() > 0.5 && lower.box.top() > 0.5 && lower.box.bottom() <= 1.0);
            // The engine loads again after letting its data go.
            recognizer.releaseIdleResources();
            QVERIFY(engine.loadedLanguages().isEmpty());
        }
    }

    void unreadableInputIsNothingOrSaysWhy()
    {
        QTemporaryDir empty;
        TesseractEngine withoutData(empty.path());
        ScreenTextRecognizer reader(withoutData);
        const TextRecognitionOutcome outcome =
            recognizeText(reader, samples::textSamples().constFirst().image, std::nullopt);
        QVERIFY(outcome.error);
        QVERIFY2(outcome.error->contains(QStringLiteral("eng.traineddata")),
                 qPrintable(*outcome.error));
        QVERIFY(outcome.error->contains(empty.path()));
        QCOMPARE(outcome.text, QString());

        for (const QImage& image : {QImage(), testing::filledPicture({1, 1}, Qt::black),
                                    QImage(2, 2, QImage::Format_Mono),
                                    testing::filledPicture({300, 80}, QColor(0x336699))}) {
            QVERIFY(!recognizer.recognize(image).failure);
            QCOMPARE(recognizeText(recognizer, image, std::nullopt).text, QString());
        }
        // Too large to read at all: refused, and said so.
        const TextRecognitionResult huge =
            recognizer.recognize(QImage(9000, 5000, QImage::Format_Mono));
        QVERIFY(huge.failure && huge.lines.isEmpty());
        QVERIFY2(huge.failure->contains(QStringLiteral("9000 × 5000")), qPrintable(*huge.failure));
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
    }

    void tallPictureReadInHalvesKeepsEveryLine()
    {
        // Tall enough to be read as two halves at once; the lines sit close, as in a list.
        const QStringList words =
            QStringLiteral("apple birch cedar dune ember fjord grove harbor island juniper kettle "
                           "lantern")
                .split(QLatin1Char(' '));
        QStringList lines;
        QList<std::pair<QPointF, QString>> texts;
        for (int i = 0; i < words.size(); ++i) {
            lines.append(QStringLiteral("Item %1 is the %2").arg(i + 1).arg(words.at(i)));
            texts.append({QPointF(12, 26 + 24 * i), lines.last()});
        }
        const QImage image =
            samples::printed({360, 24 * static_cast<int>(words.size()) + 20}, texts, 15);
        const TextRecognitionOutcome outcome = recognizeText(recognizer, image, std::nullopt);
        QVERIFY(!outcome.error);
        QCOMPARE(outcome.text.count(QLatin1Char('\n')), words.size() - 1);
        QVERIFY2(samples::linesInOrder(outcome.text, lines), qPrintable(outcome.text));
        QVERIFY2(samples::characterErrors(outcome.text, lines).rate() < 0.02,
                 qPrintable(outcome.text));
    }

private:
    TesseractEngine engine;
    ScreenTextRecognizer recognizer{engine};
};

QTEST_MAIN(TestTesseractRecognizer)
#include "tst_tesseractrecognizer.moc"
