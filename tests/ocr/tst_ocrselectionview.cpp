// SPDX-License-Identifier: GPL-3.0-or-later
#include "ocr/OCRSelectionView.h"
#include "platform/fakes/FakePlatform.h"
#include "support/TestSupport.h"

#include <QSemaphore>
#include <QTest>

using namespace vellumbox;
using namespace vellumbox::fakes;

namespace {

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

// A selection over a 400 x 300 screenshot, counting the guards that keep the floating
// screenshots lowered.
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
        view =
            new OCRSelectionView(testing::positionPicture({400, 300}), services(recognizer), &host);
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

class TestOcrSelectionView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void viewRectsMapToImagePoints();
    void smallSelectionsCancelSilently_data();
    void smallSelectionsCancelSilently();
    void escapeCancelsSilently();
    void outcomeIsReportedWithTheFloatingPanelsLowered_data();
    void outcomeIsReportedWithTheFloatingPanelsLowered();
    void reportArrivesAfterTheViewIsGone();
};

void TestOcrSelectionView::viewRectsMapToImagePoints()
{
    // A 100 x 100 picture drawn 200 x 200 from (50, 20), away from the view's corner.
    QCOMPARE(viewRectToImagePoints({60, 30, 100, 100}, {50, 20, 200, 200}, {100, 100}),
             QRectF(5, 5, 50, 50));
    QCOMPARE(viewRectToImagePoints({0, 0, 10, 10}, {}, {100, 100}), QRectF());
}

void TestOcrSelectionView::smallSelectionsCancelSilently_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<bool>("reads");
    QTest::newRow("9 x 200") << QPoint(50, 50) << QPoint(59, 250) << false;
    QTest::newRow("200 x 9") << QPoint(50, 50) << QPoint(250, 59) << false;
    QTest::newRow("10 x 10, dragged up and left") << QPoint(60, 60) << QPoint(50, 50) << true;
}

void TestOcrSelectionView::smallSelectionsCancelSilently()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(bool, reads);
    Selection s;
    testing::drag(s.view, from, to);
    QVERIFY(!s.view->isDragging());
    if (reads) {
        QTRY_COMPARE(s.completions, 1);
        QCOMPARE(s.platform.textRecognizer.receivedImages().size(), 1);
        QCOMPARE(s.platform.textRecognizer.receivedImages().first().size(), QSize(10, 10));
        QCOMPARE(s.platform.alerts.shown.size(), 1); // "No Text Found"
    } else {
        QCOMPARE(s.completions, 1);
        QTest::qWait(50);
        QVERIFY(s.platform.textRecognizer.receivedImages().isEmpty());
        QVERIFY(s.platform.alerts.shown.isEmpty());
    }
}

void TestOcrSelectionView::escapeCancelsSilently()
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

void TestOcrSelectionView::outcomeIsReportedWithTheFloatingPanelsLowered_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("informative");
    const QString text = QStringLiteral("Apply\nOK\n") + QString(230, QLatin1Char('x'));
    QTest::newRow("text, with a short preview")
        << text << QString() << QStringLiteral("Text Copied to Clipboard!")
        << text.left(200) + QStringLiteral("...");
    QTest::newRow("nothing read") << QString() << QString() << QStringLiteral("No Text Found")
                                  << QStringLiteral("No text found in selected area.");
    QTest::newRow("failure") << QString() << QStringLiteral("eng.traineddata is not installed")
                             << QStringLiteral("OCR Failed")
                             << QStringLiteral("eng.traineddata is not installed");
}

void TestOcrSelectionView::outcomeIsReportedWithTheFloatingPanelsLowered()
{
    QFETCH(QString, text);
    QFETCH(QString, failure);
    QFETCH(QString, message);
    QFETCH(QString, informative);
    Selection s;
    showRecognitionOutcome({text, failure.isEmpty() ? std::nullopt : std::optional(failure)},
                           s.services());
    // The whole text goes to the clipboard; only the alert shortens it.
    QCOMPARE(s.platform.clipboard.text, text);
    QCOMPARE(s.platform.clipboard.writes, text.isEmpty() ? 0 : 1);
    QCOMPARE(s.platform.alerts.shown.size(), 1);
    const Alert& alert = s.platform.alerts.shown.first();
    QCOMPARE(alert.message, message);
    QCOMPARE(alert.informativeText, informative);
    QCOMPARE(alert.style, failure.isEmpty() ? AlertStyle::Informational : AlertStyle::Warning);
    QCOMPARE(s.loweredDuringAlert, 1);
    QCOMPARE(s.lowered, 0);
}

void TestOcrSelectionView::reportArrivesAfterTheViewIsGone()
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
    testing::drag(s.view, {20, 20}, {200, 200});
    QTest::keyClick(s.view, Qt::Key_Escape);
    QCOMPARE(s.completions, 1);
    QTRY_VERIFY(!s.view);
    recognizer.gate.release();
    QTRY_COMPARE(s.completions, 2);
    QCOMPARE(s.platform.clipboard.text, QStringLiteral("still here"));
    QCOMPARE(s.platform.alerts.shown.size(), 1);
    QCOMPARE(s.loweredDuringAlert, 1);
}

QTEST_MAIN(TestOcrSelectionView)
#include "tst_ocrselectionview.moc"
