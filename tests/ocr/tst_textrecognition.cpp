// SPDX-License-Identifier: GPL-3.0-or-later
#include "ocr/TextRecognition.h"
#include "platform/fakes/FakeTextRecognizer.h"
#include "support/TestSupport.h"

#include <QFutureWatcher>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

using namespace vellumbox;

using testing::positionPicture;

class TestTextRecognition : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsTheRegionsPixelsAtTheImagesScale();
    void ordersAndJoinsTheLinesOrFails();
    void regionsWithoutPixelsReadAsEmptyText();
    void asyncOutcomeArrivesOnTheMainThread();
    void idleReleaseWaitsForTheLastRecognition();
};

void TestTextRecognition::readsTheRegionsPixelsAtTheImagesScale()
{
    fakes::FakeTextRecognizer recognizer;
    const QImage image = positionPicture({800, 600}, 2.0);
    recognizeText(recognizer, image, QRectF(10, 230, 100, 50));
    QCOMPARE(recognizer.receivedImages().size(), 1);
    const QImage got = recognizer.receivedImages().constFirst();
    QCOMPARE(got.size(), QSize(200, 100));
    QImage expected = image.copy(20, 460, 200, 100);
    // The recogniser works in pixels; the crop no longer carries the screen's scale.
    expected.setDevicePixelRatio(1.0);
    QCOMPARE(got, expected);
    // Without a region, the whole image.
    recognizeText(recognizer, image, std::nullopt);
    QCOMPARE(recognizer.receivedImages().constLast().size(), QSize(800, 600));
}

void TestTextRecognition::ordersAndJoinsTheLinesOrFails()
{
    fakes::FakeTextRecognizer recognizer;
    recognizer.lines = {
        {QRectF(0.1, 0.60, 0.3, 0.1), QStringLiteral("c")},
        {QRectF(0.5, 0.20, 0.3, 0.1), QStringLiteral("b")},
        {QRectF(0.1, 0.40, 0.3, 0.1), std::nullopt},
        {QRectF(0.1, 0.21, 0.3, 0.1), QStringLiteral("a")},
    };
    const TextRecognitionOutcome outcome =
        recognizeText(recognizer, positionPicture({100, 100}), std::nullopt);
    QVERIFY(!outcome.error);
    QCOMPARE(outcome.text, QStringLiteral("a\nb\nc"));
    // A failure reaches the caller, without the lines.
    recognizer.failWith = QStringLiteral("No data");
    const TextRecognitionOutcome failed =
        recognizeText(recognizer, positionPicture({50, 50}), std::nullopt);
    QCOMPARE(failed.error, std::optional<QString>(QStringLiteral("No data")));
    QCOMPARE(failed.text, QString());
}

void TestTextRecognition::regionsWithoutPixelsReadAsEmptyText()
{
    fakes::FakeTextRecognizer recognizer;
    recognizer.lines = {{QRectF(0, 0, 1, 1), QStringLiteral("never read")}};
    const QImage image = positionPicture({200, 100});
    for (const QRectF& region :
         {QRectF(300, 10, 50, 50), QRectF(10, 10, 0, 0), QRectF(-80, -80, 40, 40)}) {
        const TextRecognitionOutcome outcome = recognizeText(recognizer, image, region);
        QVERIFY(!outcome.error);
        QCOMPARE(outcome.text, QString());
    }
    QCOMPARE(recognizeText(recognizer, QImage(), std::nullopt).text, QString());
    QVERIFY(recognizer.receivedImages().isEmpty());
    // A single pixel is still handed over; the recogniser decides what it can read.
    recognizeText(recognizer, image, QRectF(10, 10, 1, 1));
    QCOMPARE(recognizer.receivedImages().constFirst().size(), QSize(1, 1));
}

void TestTextRecognition::asyncOutcomeArrivesOnTheMainThread()
{
    fakes::FakeTextRecognizer recognizer;
    recognizer.lines = {{QRectF(0, 0, 1, 1), QStringLiteral("hello")}};
    QFutureWatcher<TextRecognitionOutcome> watcher;
    QThread* finishedOn = nullptr;
    connect(&watcher, &QFutureWatcher<TextRecognitionOutcome>::finished, this,
            [&finishedOn] { finishedOn = QThread::currentThread(); });
    watcher.setFuture(
        recognizeTextAsync(recognizer, positionPicture({64, 64}, 2.0), QRectF(0, 0, 16, 16)));
    QTRY_VERIFY(finishedOn != nullptr);
    QCOMPARE(finishedOn, QThread::currentThread());
    QCOMPARE(watcher.result().text, QStringLiteral("hello"));
    QCOMPARE(recognizer.receivedImages().constFirst().size(), QSize(32, 32));
}

void TestTextRecognition::idleReleaseWaitsForTheLastRecognition()
{
    fakes::FakeTextRecognizer recognizer;
    // Margins of several hundred milliseconds: a loaded machine must not make it flake.
    releaseWhenIdle(recognizer, 1000);
    QTest::qWait(600);
    // Another recognition meanwhile starts the wait afresh: past the first deadline, nothing.
    releaseWhenIdle(recognizer, 1000);
    QTest::qWait(600);
    QCOMPARE(recognizer.releases.load(), 0);
    QTRY_COMPARE(recognizer.releases.load(), 1);
    QTest::qWait(300);
    QCOMPARE(recognizer.releases.load(), 1);
}

QTEST_MAIN(TestTextRecognition)
#include "tst_textrecognition.moc"
