// SPDX-License-Identifier: GPL-3.0-or-later
#include "ocr/OCRSelectionView.h"
#include "ocr/OcrGeometry.h"
#include "ocr/ScreenTextRecognizer.h"
#include "ocr/TextOrdering.h"
#include "ocr/TextRecognition.h"
#include "support/UiSupport.h"

#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>

using namespace vellumbox;
using namespace vellumbox::fakes;
using namespace vellumbox::testing;

Q_DECLARE_METATYPE(QList<vellumbox::RecognizedLine>)

namespace {

// A line from a box given from the bottom-left, y upwards, as some recognisers report them.
RecognizedLine fromBottomLeft(double x, double bottom, double width, double height,
                              const char* text)
{
    return {QRectF(x, 1.0 - bottom - height, width, height), QString::fromLatin1(text)};
}

// Holds every recognition until the test lets it go.
class GatedRecognizer final : public TextRecognizer {
public:
    QSemaphore gate;
    QList<RecognizedLine> lines;

    TextRecognitionResult recognize(const QImage&) override
    {
        gate.acquire();
        return {lines, std::nullopt};
    }
};

// A selection over a 400 x 300 screenshot, counting the guards that lower the screenshots.
struct Selection {
    FakePlatform platform;
    int lowered = 0;
    int loweredDuringAlert = -1;
    int completions = 0;
    QWidget host;
    QPointer<OCRSelectionView> view;

    explicit Selection(TextRecognizer* recognizer = nullptr)
    {
        host.resize(400, 300);
        view = new OCRSelectionView(positionPicture({400, 300}), services(recognizer), &host);
        view->setGeometry(host.rect());
        view->onComplete = [this] { ++completions; };
        platform.alerts.whileShown = [this](const Alert&) { loweredDuringAlert = lowered; };
    }
    TextRecognitionServices services(TextRecognizer* recognizer = nullptr)
    {
        return {recognizer ? *recognizer : platform.textRecognizer, platform.alerts,
                platform.clipboard, [this] {
                    ++lowered;
                    return std::shared_ptr<void>(nullptr, [this](void*) { --lowered; });
                }};
    }
};

} // namespace

class TestOcr : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readingOrder_data()
    {
        columns<QList<RecognizedLine>, QString>({"lines", "text"});
        const auto line = [](QRectF box, const char* text) {
            return RecognizedLine{box, QString::fromLatin1(text)};
        };
        QTest::newRow("bottom edges within 1 %: one row")
            << QList{fromBottomLeft(0.5, 0.800, 0.3, 0.004, "right"),
                     fromBottomLeft(0.1, 0.805, 0.3, 0.004, "left")}
            << QStringLiteral("left\nright");
        QTest::newRow("rows top to bottom whatever their left edges")
            << QList{fromBottomLeft(0.1, 0.7, 0.3, 0.05, "lower"),
                     fromBottomLeft(0.6, 0.8, 0.3, 0.05, "higher")}
            << QStringLiteral("higher\nlower");
        // A button row 40 px high: "Apply" hangs 4 px lower than "OK" because of its descenders.
        const double button = 1.0 / 40;
        QTest::newRow("overlapping lines share a row despite descenders")
            << QList{line({0.6, 14 * button, 0.1, 10 * button}, "OK"),
                     line({0.2, 14 * button, 0.2, 14 * button}, "Apply"),
                     line({0.8, 14 * button, 0.15, 10 * button}, "Cancel")}
            << QStringLiteral("Apply\nOK\nCancel");
        // Tight line spacing: the descenders of one line reach into the ascenders of the next.
        const double px = 1.0 / 100;
        QTest::newRow("stacked lines of a paragraph stay separate rows")
            << QList{line({0.0, 30 * px, 0.9, 16 * px}, "third"),
                     line({0.3, 16 * px, 0.5, 16 * px}, "second"),
                     line({0.1, 2 * px, 0.8, 16 * px}, "first")}
            << QStringLiteral("first\nsecond\nthird");
        // Each line is within 1 % of the one before, but not of the first: two rows, not one.
        QTest::newRow("rows do not chain down a page")
            << QList{fromBottomLeft(0.9, 0.800, 0.05, 0.002, "a"),
                     fromBottomLeft(0.5, 0.794, 0.05, 0.002, "b"),
                     fromBottomLeft(0.1, 0.788, 0.05, 0.002, "c")}
            << QStringLiteral("b\na\nc");
        // 0.02 - 0.01 is exactly 0.01 in binary too.
        QTest::newRow("bottom edges exactly 1 % apart: two rows")
            << QList{line({0.1, 0.01, 0.3, 0.01}, "lower"), line({0.6, 0.0, 0.3, 0.01}, "upper")}
            << QStringLiteral("upper\nlower");
        QTest::newRow("a line without height shares no row")
            << QList{line({0.1, 0.1, 0.3, 0.1}, "tall"), line({0.5, 0.15, 0.3, 0}, "flat")}
            << QStringLiteral("flat\ntall");
        // Lines without text are skipped; a line read as empty is still a line.
        const QRectF box(0.1, 0.1, 0.2, 0.05);
        QTest::newRow("equal lines keep their order")
            << QList{line(box, "one"), RecognizedLine{box, std::nullopt}, line(box, "two"),
                     line(box, "")}
            << QStringLiteral("one\ntwo\n");
        QTest::newRow("nothing") << QList{RecognizedLine{box, std::nullopt}} << QString();
    }

    void readingOrder()
    {
        const auto [lines, text] = fetch<QList<RecognizedLine>, QString>({"lines", "text"});
        QCOMPARE(joinLines(orderLines(lines)), text);
    }

    void preview_data()
    {
        columns<QString, QString>({"text", "expected"});
        const QString a200(200, QLatin1Char('a'));
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("200 characters, whole") << a200 << a200;
        // "e" + combining acute, and a flag (four UTF-16 units), are one character each.
        const QString accented = QStringLiteral("e\u0301");
        const QString flag = QStringLiteral("\U0001F1E9\U0001F1EA");
        QTest::newRow("200 composed characters, whole")
            << accented.repeated(200) << accented.repeated(200);
        QTest::newRow("201 flags, cut after 200")
            << flag.repeated(201) << flag.repeated(200) + QStringLiteral("...");
        QTest::newRow("never splits a character")
            << QString(199, QLatin1Char('a')) + accented + QStringLiteral("z")
            << QString(199, QLatin1Char('a')) + accented + QStringLiteral("...");
    }

    void preview()
    {
        const auto [text, expected] = fetch<QString, QString>({"text", "expected"});
        QCOMPARE(previewText(text), expected);
    }

    void cropRect_data()
    {
        columns<QRectF, QSizeF, QSize, QRect>({"region", "points", "pixels", "expected"});
        const auto row = [](const char* name, QRectF region, QSizeF points, QSize pixels,
                            QRect crop) {
            QTest::newRow(name) << region << points << pixels << crop;
        };
        // (10, 230) from the top of a 300-point image is (10, 20) from its bottom.
        row("2x bitmap", {10, 230, 100, 50}, {400, 300}, {800, 600}, {20, 460, 200, 100});
        row("fractional region", {0.5, 0.5, 2, 2}, {10, 10}, {10, 10}, {0, 0, 3, 3});
        row("clipped at the far edges", {350, 250, 100, 100}, {400, 300}, {800, 600},
            {700, 500, 100, 100});
        row("clipped at the near edges", {-10, -10, 20, 20}, {400, 300}, {400, 300},
            {0, 0, 10, 10});
        row("dragged backwards", {110, 280, -100, -50}, {400, 300}, {800, 600},
            {20, 460, 200, 100});
        row("off the image", {500, 10, 50, 50}, {400, 300}, {400, 300}, {});
        row("far off the image", {-1e12, -1e12, 10, 10}, {400, 300}, {400, 300}, {});
        row("a hair wide", {10, 10, 1e-7, 50}, {400, 300}, {400, 300}, {});
        row("empty image", {0, 0, 10, 10}, {0, 0}, {0, 0}, {});
    }

    void cropRect()
    {
        const auto [region, points, pixels, expected] =
            fetch<QRectF, QSizeF, QSize, QRect>({"region", "points", "pixels", "expected"});
        QCOMPARE(cropRectForRegion(region, points, pixels), expected);
    }

    void regionsMapToImagePointsAndWithoutPixelsReadAsEmptyText()
    {
        // A 100 x 100 picture drawn 200 x 200 from (50, 20), away from the view's corner.
        QCOMPARE(viewRectToImagePoints({60, 30, 100, 100}, {50, 20, 200, 200}, {100, 100}),
                 QRectF(5, 5, 50, 50));
        QCOMPARE(viewRectToImagePoints({0, 0, 10, 10}, {}, {100, 100}), QRectF());
        FakeTextRecognizer recognizer;
        recognizer.lines = {{QRectF(0, 0, 1, 1), QStringLiteral("never read")}};
        const TextRecognitionOutcome offImage =
            recognizeText(recognizer, positionPicture({200, 100}), QRectF(300, 10, 50, 50));
        QVERIFY(!offImage.error);
        QCOMPARE(offImage.text, QString());
        QCOMPARE(recognizeText(recognizer, QImage(), std::nullopt).text, QString());
        QVERIFY(recognizer.receivedImages().isEmpty());
    }

    void idleReleaseWaitsForTheLastRecognition()
    {
        FakeTextRecognizer recognizer;
        // Margins of several hundred milliseconds: a loaded machine must not make it flake.
        releaseWhenIdle(recognizer, 1000);
        QTest::qWait(600);
        // Another recognition meanwhile starts the wait afresh: past the first deadline, nothing.
        releaseWhenIdle(recognizer, 1000);
        QTest::qWait(600);
        QCOMPARE(recognizer.releases.load(), 0);
        QTRY_COMPARE(recognizer.releases.load(), 1);
        // Once: the wait does not start over by itself.
        QTest::qWait(1200);
        QCOMPARE(recognizer.releases.load(), 1);
    }

    void theEngineLoadsWhileTheRegionIsChosen()
    {
        const Selection s;
        QTRY_COMPARE(s.platform.textRecognizer.preparations.load(), 1);
        QVERIFY(s.platform.textRecognizer.receivedImages().isEmpty());
        // What the recogniser loads ahead is its engine's data.
        FakeTextEngine engine;
        ScreenTextRecognizer recognizer(engine);
        recognizer.prepare();
        QCOMPARE(engine.loads.load(), 1);
    }

    void aScanClosedBeforeTheLoadLeavesTheRecognizerAlone()
    {
        GatedRecognizer busy;
        QFuture<TextRecognitionOutcome> reading =
            recognizeTextAsync(busy, positionPicture({20, 20}), std::nullopt);
        FakeTextRecognizer recognizer;
        {
            // Opened and closed while the recognition thread reads something else.
            const Selection s(&recognizer);
        }
        busy.gate.release();
        reading.waitForFinished();
        // Whatever was queued before this has run by now.
        recognizeTextAsync(recognizer, positionPicture({20, 20}), std::nullopt).waitForFinished();
        QCOMPARE(recognizer.preparations.load(), 0);
    }

    void smallSelectionsCancelSilently_data()
    {
        columns<QPoint, QPoint, bool>({"from", "to", "reads"});
        QTest::newRow("9 x 200") << QPoint(50, 50) << QPoint(59, 250) << false;
        QTest::newRow("200 x 9") << QPoint(50, 50) << QPoint(250, 59) << false;
        QTest::newRow("10 x 10, dragged up and left") << QPoint(60, 60) << QPoint(50, 50) << true;
    }

    void smallSelectionsCancelSilently()
    {
        const auto [from, to, reads] = fetch<QPoint, QPoint, bool>({"from", "to", "reads"});
        Selection s;
        drag(s.view, from, to);
        QVERIFY(!s.view->isDragging());
        QTRY_COMPARE(s.completions, 1);
        QTest::qWait(50);
        const auto read = s.platform.textRecognizer.receivedImages();
        QCOMPARE(read.size(), reads ? 1 : 0);
        QVERIFY(!reads || read.first().size() == QSize(10, 10));
        QCOMPARE(s.platform.alerts.shown.size(), reads ? 1 : 0); // "No Text Found"
    }

    void escapeCancelsSilently()
    {
        Selection s;
        QTest::keyClick(s.view, Qt::Key_Escape);
        QCOMPARE(s.completions, 1);
        // While selecting, too; the rectangle shown follows the pointer until then.
        QTest::mousePress(s.view, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
        QTest::mouseMove(s.view, QPoint(120, 70));
        QCOMPARE(s.view->selectionRect(), QRectF(20, 20, 100, 50));
        QTest::keyClick(s.view, Qt::Key_Escape);
        QCOMPARE(s.completions, 2);
        QVERIFY(s.platform.alerts.shown.isEmpty());
        QCOMPARE(s.platform.clipboard.writes, 0);
    }

    void outcomeIsReportedWithTheFloatingPanelsLowered_data()
    {
        columns<QString, QString, QString>({"text", "failure", "alert"});
        const QString text = QStringLiteral("Apply\nOK\n") + QString(230, QLatin1Char('x'));
        QTest::newRow("text, with a short preview")
            << text << QString()
            << QStringLiteral("Text Copied to Clipboard!: ") + text.left(200) +
                   QStringLiteral("...");
        QTest::newRow("nothing read")
            << QString() << QString()
            << QStringLiteral("No Text Found: No text found in selected area.");
        QTest::newRow("failure") << QString() << QStringLiteral("eng.traineddata is not installed")
                                 << QStringLiteral(
                                        "! OCR Failed: eng.traineddata is not installed");
    }

    void outcomeIsReportedWithTheFloatingPanelsLowered()
    {
        const auto [text, failure, alert] =
            fetch<QString, QString, QString>({"text", "failure", "alert"});
        Selection s;
        showRecognitionOutcome({text, failure.isEmpty() ? std::nullopt : std::optional(failure)},
                               s.services());
        // The whole text goes to the clipboard; only the alert shortens it.
        QCOMPARE(s.platform.clipboard.text, text);
        QCOMPARE(s.platform.clipboard.writes, text.isEmpty() ? 0 : 1);
        QCOMPARE(alertTexts(s.platform.alerts), QStringList{alert});
        QCOMPARE(s.loweredDuringAlert, 1);

        QCOMPARE(s.lowered, 0);
    }

    void reportArrivesAfterTheViewIsGone()
    {
        GatedRecognizer recognizer;
        recognizer.lines = {{QRectF(0.1, 0.1, 0.5, 0.2), QStringLiteral("still here")}};
        Selection s(&recognizer);
        // The owner removes the view when told the selection is over.
        s.view->onComplete = [&s] {
            ++s.completions;
            if (s.view)
                s.view->deleteLater();
        };
        drag(s.view, {20, 20}, {200, 200});
        QTest::keyClick(s.view, Qt::Key_Escape);
        QCOMPARE(s.completions, 1);
        QTRY_VERIFY(!s.view);
        recognizer.gate.release();
        QTRY_COMPARE(s.completions, 2);
        QCOMPARE(s.platform.clipboard.text, QStringLiteral("still here"));
        QCOMPARE(s.platform.alerts.shown.size(), 1);
        QCOMPARE(s.loweredDuringAlert, 1);
    }
};

QTEST_MAIN(TestOcr)
#include "tst_ocr.moc"
