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
    void moduleThatCannotLoadIsNamedEveryTime_data()
    {
        QTest::addColumn<QByteArray>("contents"); // empty: no file at all
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << QByteArray() << QStringLiteral("libvellumbox_tesseract.so");
        QTest::newRow("broken") << QByteArray("not a shared object")
                                << QStringLiteral("Text recognition could not be loaded");
    }

    void moduleThatCannotLoadIsNamedEveryTime()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, reason);
        QTemporaryDir folder;
        QFile module(folder.filePath(QStringLiteral("libvellumbox_tesseract.so")));
        QVERIFY(contents.isEmpty() ||
                (module.open(QIODevice::WriteOnly) && module.write(contents)));
        module.close();
        LoadableTextRecognizer recognizer(QStringLiteral("libvellumbox_tesseract.so"),
                                          {folder.path(), folder.path() + QStringLiteral("/lib")});
        QImage image(40, 20, QImage::Format_RGB32);
        image.fill(Qt::white);
        for (int attempt = 0; attempt < 2; ++attempt) {
            const TextRecognitionResult result = recognizer.recognize(image);
            QVERIFY(result.lines.isEmpty());
            QVERIFY(result.failure);
            QVERIFY2(result.failure->contains(reason) && result.failure->contains(folder.path()),
                     qPrintable(*result.failure));
        }
    }

    void realModuleReadsText()
    {
        LoadableTextRecognizer recognizer(QStringLiteral("libvellumbox_tesseract.so"),
                                          {QStringLiteral(VELLUMBOX_MODULE_BUILD_DIR)});
        const QImage image = samples::printed(
            {420, 60}, {{{10, 40}, QStringLiteral("Loaded when first needed")}}, 24);
        const TextRecognitionResult result = recognizer.recognize(image);
        QVERIFY2(!result.failure, qPrintable(result.failure.value_or(QString())));
        QCOMPARE(result.lines.size(), 1);
        QCOMPARE(result.lines.first().text.value_or(QString()),
                 QStringLiteral("Loaded when first needed"));
    }
};

QTEST_MAIN(TestLoadableTextRecognizer)
#include "tst_loadabletextrecognizer.moc"
