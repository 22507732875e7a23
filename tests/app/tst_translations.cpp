// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AboutWindow.h"
#include "app/StatusBarController.h"
#include "app/Translations.h"
#include "ocr/OCRSelectionView.h"
#include "overlay/OverlayManager.h"
#include "overlay/ScreenshotMenu.h"
#include "platform/QtAlertPresenter.h"
#include "platform/fakes/FakePlatform.h"
#include "support/OverlayServices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QXmlStreamReader>

using namespace vellumbox;
using namespace vellumbox::fakes;

namespace {

using Environment = QMap<QByteArray, QByteArray>;

void dropTranslations()
{
    qDeleteAll(qApp->findChildren<QTranslator*>());
}

// Every item of a menu and its submenus, "-" for separators, submenus as "title>".
QStringList items(const QMenu& menu)
{
    QStringList out;
    for (const QAction* action : menu.actions()) {
        out.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        if (action->menu())
            out += items(*action->menu())
                       .replaceInStrings(QRegularExpression(QStringLiteral("^")),
                                         action->text() + QLatin1Char('>'));
    }
    return out;
}

std::unique_ptr<QMenu> contextMenu()
{
    return buildScreenshotMenu({false, true, 1.0, {}}, {});
}

} // namespace

class TestTranslations : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { dropTranslations(); }
    void languagesComeFromTheEnvironment_data();
    void languagesComeFromTheEnvironment();
    void firstTranslatedLanguageWins_data();
    void firstTranslatedLanguageWins();
    void aDamagedFileLeavesEnglish();
    void germanUserSeesGerman();
    void everyTranslationIsCompleteAndKeepsItsPlaceholders();
};

void TestTranslations::languagesComeFromTheEnvironment_data()
{
    QTest::addColumn<Environment>("environment");
    QTest::addColumn<QStringList>("languages");
    QTest::newRow("nothing set") << Environment{} << QStringList{};
    QTest::newRow("LANGUAGE first, then the locale")
        << Environment{{"LANGUAGE", "de:fr"}, {"LANG", "en_US.UTF-8"}}
        << QStringList{"de", "fr", "en_US"};
    QTest::newRow("LC_ALL over LC_MESSAGES over LANG")
        << Environment{{"LC_ALL", "fr_FR.UTF-8@euro"}, {"LC_MESSAGES", "de_AT"}, {"LANG", "it"}}
        << QStringList{"fr_FR"};
    QTest::newRow("LC_MESSAGES over LANG")
        << Environment{{"LC_MESSAGES", "de_AT.UTF-8"}, {"LANG", "fr_FR"}} << QStringList{"de_AT"};
    QTest::newRow("C is English") << Environment{{"LANG", "C.UTF-8"}} << QStringList{"en"};
    QTest::newRow("empty and repeated entries")
        << Environment{{"LANGUAGE", ":de::de:"}, {"LANG", "de"}} << QStringList{"de"};
}

void TestTranslations::languagesComeFromTheEnvironment()
{
    QFETCH(Environment, environment);
    QFETCH(QStringList, languages);
    QCOMPARE(preferredLanguages([&](const char* name) { return environment.value(name); }),
             languages);
}

void TestTranslations::firstTranslatedLanguageWins_data()
{
    QTest::addColumn<QStringList>("wanted");
    QTest::addColumn<QString>("shown");
    QTest::newRow("German") << QStringList{"de"} << "de";
    QTest::newRow("Austrian German falls back to German") << QStringList{"de_AT"} << "de";
    QTest::newRow("an untranslated language is passed over") << QStringList{"ja", "fr"} << "fr";
    QTest::newRow("English first stays English") << QStringList{"en_GB", "de"} << "en";
    QTest::newRow("nothing translated") << QStringList{"ja", "pt_BR"} << "en";
}

void TestTranslations::firstTranslatedLanguageWins()
{
    QFETCH(QStringList, wanted);
    QFETCH(QString, shown);
    QCOMPARE(installTranslations(*qApp, wanted, {QStringLiteral(VELLUMBOX_QM_DIR)}), shown);
    QCOMPARE(QCoreApplication::translate("ScreenshotMenu", "Close"),
             shown == QLatin1String("de")   ? QStringLiteral("Schließen")
             : shown == QLatin1String("fr") ? QStringLiteral("Fermer")
                                            : QStringLiteral("Close"));
}

void TestTranslations::aDamagedFileLeavesEnglish()
{
    QTemporaryDir folder;
    QFile damaged(folder.filePath(QStringLiteral("vellumbox_de.qm")));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a translation");
    damaged.close();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("is damaged")));
    QCOMPARE(installTranslations(*qApp, {QStringLiteral("de")}, {folder.path()}),
             QStringLiteral("en"));
    QCOMPARE(contextMenu()->actions().first()->text(), QStringLiteral("Copy to Clipboard"));
}

void TestTranslations::germanUserSeesGerman()
{
    QCOMPARE(installTranslations(*qApp, {QStringLiteral("de")}, {QStringLiteral(VELLUMBOX_QM_DIR)}),
             QStringLiteral("de"));
    FakePlatform platform;
    OverlayManager overlays(testing::overlayServices(platform));
    StatusBarController tray(overlays, [] {});
    QCOMPARE(items(*tray.menu()),
             (QStringList{"Bildschirmfoto aufnehmen", "-", "Alle Bildschirmfotos schließen", "-",
                          "Über Vellumbox", "Nach Aktualisierungen suchen …", "-", "Beenden"}));
    // Qt's own key names come with its translation.
    QCOMPARE(tray.menu()->actions().first()->shortcut().toString(QKeySequence::NativeText),
             QStringLiteral("Strg+Umschalt+9"));
    const QStringList menu = items(*contextMenu());
    QCOMPARE(menu.first(), QStringLiteral("In die Zwischenablage kopieren"));
    QVERIFY(menu.contains(QStringLiteral("Größe ändern>100\u00a0% (Original)")));
    QVERIFY(menu.contains(QStringLiteral("Bearbeiten>Bearbeitungsmodus beenden")));
    AboutWindow about;
    QCOMPARE(about.windowTitle(), QStringLiteral("Über Vellumbox"));
    QVERIFY(AboutWindow::helpText().contains(QStringLiteral("Strg+C  In die Zwischenablage")));

    QtAlertPresenter alerts;
    QString title;
    QTimer::singleShot(0, this, [&title] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        title = box->text();
        box->buttons().first()->click();
    });
    FakeTextRecognizer recognizer;
    showRecognitionOutcome({{}, QStringLiteral("x")}, {recognizer, alerts, platform.clipboard, {}});
    QCOMPARE(title, QStringLiteral("Texterkennung fehlgeschlagen"));
}

// Menus carry no "&" in English; a translation that added one could clash with another.
void TestTranslations::everyTranslationIsCompleteAndKeepsItsPlaceholders()
{
    const QStringList files = QDir(QStringLiteral(VELLUMBOX_TS_DIR))
                                  .entryList({QStringLiteral("vellumbox_*.ts")}, QDir::Files);
    QVERIFY(files.size() >= 2);
    const QRegularExpression placeholder(QStringLiteral("%\\d"));
    for (const QString& name : files) {
        QFile file(QStringLiteral(VELLUMBOX_TS_DIR "/") + name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader ts(&file);
        QString source;
        int messages = 0;
        while (!ts.atEnd()) {
            if (ts.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (ts.name() == QLatin1String("source")) {
                source = ts.readElementText();
            } else if (ts.name() == QLatin1String("translation")) {
                const QString type = ts.attributes().value(QLatin1String("type")).toString();
                const QString text = ts.readElementText();
                const QByteArray where = (name + QStringLiteral(": ") + source).toUtf8();
                ++messages;
                QVERIFY2(type.isEmpty() && !text.isEmpty(), where.constData());
                auto marks = [&](const QString& s) {
                    QStringList found;
                    for (const auto& m : placeholder.globalMatch(s))
                        found.append(m.captured());
                    found.sort();
                    return found;
                };
                QVERIFY2(marks(text) == marks(source), where.constData());
                QVERIFY2(text.count(QLatin1Char('&')) == source.count(QLatin1Char('&')),
                         where.constData());
            }
        }
        QVERIFY2(!ts.hasError(), qPrintable(ts.errorString()));
        QVERIFY(messages > 100);
    }
}

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
