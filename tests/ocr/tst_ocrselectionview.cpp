// SPDX-License-Identifier: GPL-3.0-or-later
#include "ocr/OCRSelectionView.h"
#include "platform/fakes/FakePlatform.h"
#include "support/TestSupport.h"

#include <QSemaphore>
#include <QTest>

using namespace vellumbox;

Q_DECLARE_METATYPE(QList<vellumbox::RecognizedLine>)
using namespace vellumbox::fakes;

namespace {

RecognizedLine line(qreal x, qreal y, qreal w, qreal h, const QString& text)
{
    return {QRectF(x, y, w, h), text};
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

struct Selection {
    FakePlatform platform;
    int lowered = 0;
    int loweredDuringAlert = -1;
    int completions = 0;
    std::unique_ptr<QWidget> host = std::make_unique<QWidget>();
    QPointer<OCRSelectionView> view;

    explicit Selection(TextRecognizer* recognizer = nullptr, QSize size = {400, 300})
    {
        host->resize(size);
        const std::function<std::shared_ptr<void>()> lower = [this] {
            ++lowered;
            return std::shared_ptr<void>(nullptr, [this](void*) { --lowered; });
        };
        view = new OCRSelectionView(testing::positionPicture(size),
                                    {recognizer ? *recognizer : platform.textRecognizer,
                                     platform.alerts, platform.clipboard, lower},
                                    host.get());
        view->setGeometry(host->rect());
        view->onComplete = [this] { ++completions; };
        platform.alerts.whileShown = [this](const Alert&) { loweredDuringAlert = lowered; };
    }

    void drag(QPointF from, QPointF to)
    {
        QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, from.toPoint());
        QMouseEvent move(QEvent::MouseMove, to, view->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(view, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, to, view->mapToGlobal(to), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &release);
    }
};

} // namespace

class TestOcrSelectionView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void viewToImagePoints_data();
    void viewToImagePoints();
    void smallSelectionsCancelSilently_data();
    void smallSelectionsCancelSilently();
    void escapeCancelsSilently();
    void outcomeIsReportedWithTheFloatingPanelsLowered_data();
    void outcomeIsReportedWithTheFloatingPanelsLowered();
    void reportArrivesAfterTheViewIsGone();
};

void TestOcrSelectionView::viewToImagePoints_data()
{
    QTest::addColumn<QRectF>("selection");
    QTest::addColumn<QRectF>("frame");
    QTest::addColumn<QSizeF>("image");
    QTest::addColumn<QRectF>("expected");
    QTest::newRow("natural size") << QRectF(10, 20, 100, 50) << QRectF(0, 0, 400, 300)
                                  << QSizeF(400, 300) << QRectF(10, 20, 100, 50);
    QTest::newRow("150 %") << QRectF(150, 75, 300, 150) << QRectF(0, 0, 600, 450)
                           << QSizeF(400, 300) << QRectF(100, 50, 200, 100);
    // Turned a quarter: a 300 x 400 picture shown at 150 %.
    QTest::newRow("rotated, 150 %") << QRectF(0, 300, 150, 300) << QRectF(0, 0, 450, 600)
                                    << QSizeF(300, 400) << QRectF(0, 200, 100, 200);
    QTest::newRow("letterboxed") << QRectF(60, 0, 100, 100) << QRectF(50, 0, 200, 200)
                                 << QSizeF(100, 100) << QRectF(5, 0, 50, 50);
}

void TestOcrSelectionView::viewToImagePoints()
{
    QFETCH(QRectF, selection);
    QFETCH(QRectF, frame);
    QFETCH(QSizeF, image);
    QFETCH(QRectF, expected);
    QCOMPARE(viewRectToImagePoints(selection, frame, image), expected);
}

void TestOcrSelectionView::smallSelectionsCancelSilently_data()
{
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<bool>("reads");
    QTest::newRow("9.5 x 200") << QPointF(50, 50) << QPointF(59.5, 250) << false;
    QTest::newRow("200 x 9") << QPointF(50, 50) << QPointF(250, 59) << false;
    QTest::newRow("click") << QPointF(50, 50) << QPointF(50, 50) << false;
    QTest::newRow("10 x 10, dragged up and left") << QPointF(60, 60) << QPointF(50, 50) << true;
}

void TestOcrSelectionView::smallSelectionsCancelSilently()
{
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    QFETCH(bool, reads);
    Selection s;
    s.drag(from, to);
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
    QTest::addColumn<QList<RecognizedLine>>("lines");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("clipboard"); // empty: left alone
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("informative");
    // Out of order on purpose: the second row first, the row's right half before its left.
    const QString longLine = QString(230, QLatin1Char('x'));
    const QString text = QStringLiteral("Apply\nOK\n") + longLine;
    QTest::newRow("text, with a short preview")
        << QList{line(0.1, 0.5, 0.3, 0.1, longLine), line(0.6, 0.1, 0.3, 0.1, QStringLiteral("OK")),
                 line(0.1, 0.1, 0.3, 0.1, QStringLiteral("Apply"))}
        << QString() << text << QStringLiteral("Text Copied to Clipboard!")
        << text.left(200) + QStringLiteral("...");
    QTest::newRow("nothing read") << QList<RecognizedLine>() << QString() << QString()
                                  << QStringLiteral("No Text Found")
                                  << QStringLiteral("No text found in selected area.");
    QTest::newRow("failure") << QList<RecognizedLine>()
                             << QStringLiteral("eng.traineddata is not installed") << QString()
                             << QStringLiteral("OCR Failed")
                             << QStringLiteral("eng.traineddata is not installed");
}

void TestOcrSelectionView::outcomeIsReportedWithTheFloatingPanelsLowered()
{
    QFETCH(QList<RecognizedLine>, lines);
    QFETCH(QString, failure);
    QFETCH(QString, clipboard);
    QFETCH(QString, message);
    QFETCH(QString, informative);
    Selection s;
    s.platform.textRecognizer.lines = lines;
    if (!failure.isEmpty())
        s.platform.textRecognizer.failWith = failure;
    s.drag({20, 20}, {380, 280});
    QTRY_COMPARE(s.completions, 1);
    QCOMPARE(s.platform.clipboard.text, clipboard);
    QCOMPARE(s.platform.clipboard.writes, clipboard.isEmpty() ? 0 : 1);
    QCOMPARE(s.platform.alerts.shown.size(), 1);
    const Alert& alert = s.platform.alerts.shown.first();
    QCOMPARE(alert.message, message);
    QVERIFY2(alert.informativeText.contains(informative), qPrintable(alert.informativeText));
    QCOMPARE(alert.style, failure.isEmpty() ? AlertStyle::Informational : AlertStyle::Warning);
    QCOMPARE(s.loweredDuringAlert, 1);
    QCOMPARE(s.lowered, 0);
}

void TestOcrSelectionView::reportArrivesAfterTheViewIsGone()
{
    GatedRecognizer recognizer;
    recognizer.lines = {line(0.1, 0.1, 0.5, 0.2, QStringLiteral("still here"))};
    Selection s(&recognizer);
    // The owner removes the view when told the selection is over.
    s.view->onComplete = [&s] {
        ++s.completions;
        if (s.view)
            s.view->deleteLater();
    };
    s.drag({20, 20}, {200, 200});
    QTest::keyClick(s.view, Qt::Key_Escape);
    QCOMPARE(s.completions, 1);
    QTRY_VERIFY(!s.view);
    recognizer.gate.release();
    QTRY_COMPARE(s.completions, 2);
    QCOMPARE(s.platform.clipboard.text, QStringLiteral("still here"));
    QCOMPARE(s.platform.alerts.shown.size(), 1);
}

QTEST_MAIN(TestOcrSelectionView)
#include "tst_ocrselectionview.moc"
