// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextSamples.h"
#include "platform/LoadableTextRecognizer.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace vellumbox;

class TestLoadableTextRecognizer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void missingModuleIsNamedEveryTime();
    void brokenModuleIsReported();
    void realModuleReadsText();
};

void TestLoadableTextRecognizer::missingModuleIsNamedEveryTime()
{
    QTemporaryDir empty;
    LoadableTextRecognizer recognizer(QStringLiteral("libvellumbox_tesseract.so"),
                                      {empty.path(), empty.path() + QStringLiteral("/lib")});
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const TextRecognitionResult result = recognizer.recognize(image);
        QVERIFY(result.lines.isEmpty());
        QVERIFY(result.failure);
        QVERIFY2(result.failure->contains(QStringLiteral("libvellumbox_tesseract.so")) &&
                     result.failure->contains(empty.path()),
                 qPrintable(*result.failure));
    }
}

void TestLoadableTextRecognizer::brokenModuleIsReported()
{
    QTemporaryDir folder;
    QFile broken(folder.filePath(QStringLiteral("libvellumbox_tesseract.so")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a shared object");
    broken.close();
    LoadableTextRecognizer recognizer(QStringLiteral("libvellumbox_tesseract.so"), {folder.path()});
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    const TextRecognitionResult result = recognizer.recognize(image);
    QVERIFY(result.failure);
    QVERIFY2(result.failure->startsWith(QStringLiteral("Text recognition could not be loaded")),
             qPrintable(*result.failure));
}

void TestLoadableTextRecognizer::realModuleReadsText()
{
    LoadableTextRecognizer recognizer(QStringLiteral("libvellumbox_tesseract.so"),
                                      {QStringLiteral(VELLUMBOX_MODULE_BUILD_DIR)});
    const QImage image =
        samples::printed({420, 60}, {{{10, 40}, QStringLiteral("Loaded when first needed")}}, 24);
    const TextRecognitionResult result = recognizer.recognize(image);
    QVERIFY2(!result.failure, qPrintable(result.failure.value_or(QString())));
    QCOMPARE(result.lines.size(), 1);
    QCOMPARE(result.lines.first().text.value_or(QString()),
             QStringLiteral("Loaded when first needed"));
}

QTEST_MAIN(TestLoadableTextRecognizer)
#include "tst_loadabletextrecognizer.moc"
