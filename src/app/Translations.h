// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <functional>

class QCoreApplication;

namespace vellumbox {

// The languages the desktop asks for, most wanted first: LANGUAGE's list, then the locale of
// messages (LC_ALL, else LC_MESSAGES, else LANG). "C" and "POSIX" stand for English.
QStringList preferredLanguages(const std::function<QByteArray(const char*)>& environment);

// Where the translations are: next to the program in a build tree, in share/ when installed.
QStringList translationFolders();

// Installs Vellumbox's and Qt's own translations for the first wanted language that Vellumbox
// is translated into, and answers that language. English, when it comes first or nothing
// else is found, installs nothing and answers "en". A damaged file is skipped with a log line.
QString installTranslations(QCoreApplication& app, const QStringList& languages,
                            const QStringList& folders);

} // namespace vellumbox
