// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextSamples.h"
#include "platform/LoadableTextEngine.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace vellumbox;

class TestLoadableTextEngine : public QObject {
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
        LoadableTextEngine engine(QStringLiteral("libvellumbox_tesseract.so"),
                                  {folder.path(), folder.path() + QStringLiteral("/lib")});
        for (int attempt = 0; attempt < 2; ++attempt) {
            const std::optional<QString> failure = engine.load();
            QVERIFY(failure);
            QVERIFY2(failure->contains(reason) && failure->contains(folder.path()),
                     qPrintable(*failure));
        }
        QVERIFY(!engine.twin());
        QVERIFY(
            engine
                .read(QImage(40, 20, QImage::Format_Grayscale8), {0, 0, 40, 20}, EngineLayout::Page)
                .isEmpty());
    }

    void realModuleReadsTextAndTwins()
    {
        LoadableTextEngine engine(QStringLiteral("libvellumbox_tesseract.so"),
                                  {QStringLiteral(VELLUMBOX_MODULE_BUILD_DIR)});
        const std::optional<QString> failure = engine.load();
        QVERIFY2(!failure, qPrintable(failure.value_or(QString())));
        // A region below the top: boxes come back in the whole picture's pixels.
        const QImage gray =
            samples::printed({420, 100}, {{{10, 80}, QStringLiteral("Loaded when first needed")}},
                             24)
                .convertToFormat(QImage::Format_Grayscale8);
        const std::unique_ptr<TextEngine> twin = engine.twin();
        QVERIFY(twin);
        for (TextEngine* reader : {static_cast<TextEngine*>(&engine), twin.get()}) {
            const QList<EngineLine> lines =
                reader->read(gray, {0, 40, 420, 60}, EngineLayout::Page);
            QCOMPARE(lines.size(), 1);
            QStringList words;
            for (const EngineWord& word : lines.first().words)
                words.append(word.text.trimmed());
            QCOMPARE(words.join(QLatin1Char(' ')), QStringLiteral("Loaded when first needed"));
            QVERIFY2(lines.first().box.top() > 40 && lines.first().box.bottom() < 100,
                     qPrintable(QStringLiteral("%1 %2")
                                    .arg(lines.first().box.top())
                                    .arg(lines.first().box.bottom())));
        }
        engine.release();
        QVERIFY(engine.read(gray, gray.rect(), EngineLayout::Page).isEmpty());
    }
};

QTEST_MAIN(TestLoadableTextEngine)
#include "tst_loadabletextengine.moc"
