// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AboutWindow.h"
#include "app/StatusBarController.h"
#include "app/Translations.h"
#include "ocr/OCRSelectionView.h"
#include "overlay/OverlayManager.h"
#include "overlay/ScreenshotMenu.h"
#include "support/OverlayServices.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;
using namespace vellumbox;
using namespace vellumbox::fakes;
using namespace vellumbox::testing;

namespace {

using Environment = QMap<QByteArray, QByteArray>;

// Every item of a menu and its submenus, "-" for separators, submenus as "title>".
QStringList items(const QMenu& menu)
{
    QStringList out;
    for (const QAction* action : menu.actions()) {
        out.append(action->isSeparator() ? u"-"_s : action->text());
        if (action->menu())
            out += items(*action->menu())
                       .replaceInStrings(QRegularExpression(u"^"_s),
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
    void cleanup() { qDeleteAll(qApp->findChildren<QTranslator*>()); }

    void languagesComeFromTheEnvironment_data()
    {
        columns<Environment, QStringList>({"environment", "languages"});
        QTest::newRow("nothing set") << Environment{} << QStringList{};
        QTest::newRow("LANGUAGE first, then the locale")
            << Environment{{"LANGUAGE", "de:fr"}, {"LANG", "en_US.UTF-8"}}
            << QStringList{"de", "fr", "en_US"};
        QTest::newRow("LC_ALL over LC_MESSAGES over LANG")
            << Environment{{"LC_ALL", "fr_FR.UTF-8@euro"}, {"LC_MESSAGES", "de_AT"}, {"LANG", "it"}}
            << QStringList{"fr_FR"};
        QTest::newRow("LC_MESSAGES over LANG")
            << Environment{{"LC_MESSAGES", "de_AT.UTF-8"}, {"LANG", "fr_FR"}}
            << QStringList{"de_AT"};
        QTest::newRow("C is English") << Environment{{"LANG", "C.UTF-8"}} << QStringList{"en"};
        QTest::newRow("empty and repeated entries")
            << Environment{{"LANGUAGE", ":de::de:"}, {"LANG", "de"}} << QStringList{"de"};
    }

    void languagesComeFromTheEnvironment()
    {
        const auto [environment, languages] =
            fetch<Environment, QStringList>({"environment", "languages"});
        QCOMPARE(preferredLanguages([&](const char* name) { return environment.value(name); }),
                 languages);
    }

    void firstTranslatedLanguageWins_data()
    {
        columns<QStringList, QString>({"wanted", "shown"});
        QTest::newRow("German") << QStringList{"de"} << "de";
        QTest::newRow("Austrian German falls back to German") << QStringList{"de_AT"} << "de";
        QTest::newRow("an untranslated language is passed over") << QStringList{"ja", "fr"} << "fr";
        QTest::newRow("English first stays English") << QStringList{"en_GB", "de"} << "en";
        QTest::newRow("nothing translated") << QStringList{"ja", "pt_BR"} << "en";
    }

    void firstTranslatedLanguageWins()
    {
        const auto [wanted, shown] = fetch<QStringList, QString>({"wanted", "shown"});
        QCOMPARE(installTranslations(*qApp, wanted, {QStringLiteral(VELLUMBOX_QM_DIR)}), shown);
        QCOMPARE(QCoreApplication::translate("ScreenshotMenu", "Close"),
                 shown == QLatin1String("de")   ? u"Schließen"_s
                 : shown == QLatin1String("fr") ? u"Fermer"_s
                                                : u"Close"_s);
    }

    void aDamagedFileLeavesEnglish()
    {
        QTemporaryDir folder;
        QFile damaged(folder.filePath(u"vellumbox_de.qm"_s));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("not a translation");
        damaged.close();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"is damaged"_s));
        QCOMPARE(installTranslations(*qApp, {u"de"_s}, {folder.path()}), u"en"_s);
        QCOMPARE(contextMenu()->actions().first()->text(), u"Copy to Clipboard"_s);
    }

    void germanUserSeesGerman()
    {
        QCOMPARE(installTranslations(*qApp, {u"de"_s}, {QStringLiteral(VELLUMBOX_QM_DIR)}),
                 u"de"_s);
        FakePlatform platform;
        OverlayManager overlays(testing::overlayServices(platform));
        StatusBarController tray(overlays, [] {});
        QCOMPARE(
            items(*tray.menu()),
            (QStringList{"Bildschirmfoto aufnehmen", "-", "Alle Bildschirmfotos schließen", "-",
                         "Über Vellumbox", "Nach Aktualisierungen suchen …", "-", "Beenden"}));
        // Qt's own key names come with its translation.
        QCOMPARE(tray.menu()->actions().first()->shortcut().toString(QKeySequence::NativeText),
                 u"Strg+Umschalt+9"_s);
        const QStringList menu = items(*contextMenu());
        QCOMPARE(menu.first(), u"In die Zwischenablage kopieren"_s);
        QVERIFY(menu.contains(u"Größe ändern>100\u00a0% (Original)"_s));
        QVERIFY(menu.contains(u"Bearbeiten>Bearbeitungsmodus beenden"_s));
        AboutWindow about;
        QCOMPARE(about.windowTitle(), u"Über Vellumbox"_s);
        QVERIFY(AboutWindow::helpText().contains(u"Strg+C  In die Zwischenablage"_s));

        showRecognitionOutcome({{}, u"x"_s},
                               {platform.textRecognizer, platform.alerts, platform.clipboard, {}});
        QCOMPARE(platform.alerts.shown.value(0).message, u"Texterkennung fehlgeschlagen"_s);
    }

    // Menus carry no "&" in English; a translation that added one could clash with another.
    void everyTranslationIsCompleteAndKeepsItsPlaceholders()
    {
        const QStringList files =
            QDir(QStringLiteral(VELLUMBOX_TS_DIR)).entryList({u"vellumbox_*.ts"_s}, QDir::Files);
        QVERIFY(files.size() >= 2);
        const QRegularExpression placeholder(u"%\\d"_s);
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
                    const QByteArray where = (name + u": "_s + source).toUtf8();
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
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
