// SPDX-License-Identifier: GPL-3.0-or-later
#include "Translations.h"

#include "platform/Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

namespace vellumbox {

namespace {

// "de_DE.UTF-8@euro" -> "de_DE"; "C" -> "en".
QString languageOf(const QString& locale)
{
    QString code = locale.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    if (code == QLatin1String("C") || code == QLatin1String("POSIX"))
        return QStringLiteral("en");
    return code;
}

// "pt_BR" is looked for as "pt_BR", then "pt".
QStringList fileCodes(const QString& language)
{
    QStringList codes{language};
    if (const QString base = language.section(QLatin1Char('_'), 0, 0); base != language)
        codes.append(base);
    return codes;
}

bool isEnglish(const QString& language)
{
    return language == QLatin1String("en") || language.startsWith(QLatin1String("en_"));
}

} // namespace

QStringList preferredLanguages(const std::function<QByteArray(const char*)>& environment)
{
    QStringList languages;
    const auto add = [&languages](const QString& locale) {
        const QString language = languageOf(locale.trimmed());
        if (!language.isEmpty() && !languages.contains(language))
            languages.append(language);
    };
    for (const QString& entry :
         QString::fromLocal8Bit(environment("LANGUAGE")).split(QLatin1Char(':')))
        add(entry);
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const QByteArray value = environment(variable); !value.isEmpty()) {
            add(QString::fromLocal8Bit(value));
            break;
        }
    }
    return languages;
}

QStringList translationFolders()
{
    const QString binary = QCoreApplication::applicationDirPath();
    return {binary + QStringLiteral("/translations"),
            QDir::cleanPath(binary + QStringLiteral("/../share/vellumbox/translations"))};
}

QString installTranslations(QCoreApplication& app, const QStringList& languages,
                            const QStringList& folders)
{
    for (const QString& language : languages) {
        if (isEnglish(language))
            break;
        for (const QString& code : fileCodes(language)) {
            for (const QString& folder : folders) {
                const QString path = folder + QStringLiteral("/vellumbox_%1.qm").arg(code);
                if (!QFileInfo::exists(path))
                    continue;
                auto own = std::make_unique<QTranslator>(&app);
                if (!own->load(path)) {
                    qCWarning(lcApp).noquote()
                        << "The translation" << path << "is damaged and was not loaded";
                    continue;
                }
                QCoreApplication::installTranslator(own.release());
                // Qt's dialogs and key names follow; a missing file only leaves them English.
                auto qt = std::make_unique<QTranslator>(&app);
                if (qt->load(QStringLiteral("qtbase_") + code,
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
                    QCoreApplication::installTranslator(qt.release());
                qCDebug(lcApp).noquote() << "Showing Vellumbox in" << code << "from" << path;
                return code;
            }
        }
    }
    return QStringLiteral("en");
}

} // namespace vellumbox
