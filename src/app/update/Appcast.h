// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace vellumbox {

// The namespace of the feed's own elements and attributes.
inline constexpr QLatin1StringView appcastNamespace{"https://vellumbox.org/xml-namespaces/appcast"};
// A feed is a few items of text; anything bigger is refused before it is read.
inline constexpr qsizetype maxAppcastBytes = qsizetype(1) << 20;
inline constexpr qsizetype ed25519SignatureBytes = 64;

struct AppcastItem {
    QString title;
    QString version;            // compared with the running version
    QString shortVersionString; // shown; the version when the feed has none
    QString minimumSystemVersion;
    QUrl releaseNotesLink;
    QString description;
    QUrl enclosureUrl;
    qint64 enclosureLength = 0;
    // Empty when the feed carries no well-formed signature for the enclosure.
    QByteArray edSignature;

    QString displayVersion() const
    {
        return shortVersionString.isEmpty() ? version : shortVersionString;
    }
};

struct Appcast {
    QList<AppcastItem> items;
    // Why each unusable item was passed over, for the log.
    QStringList rejected;
};

struct AppcastParseResult {
    std::optional<Appcast> appcast;
    QString error; // set when appcast is empty
};

// Reads an RSS 2.0 feed. Items for another system are left out quietly; items without a
// version or a usable enclosure are left out with a reason. A document type declaration
// is refused outright, so no entity is ever expanded.
AppcastParseResult parseAppcast(const QByteArray& data);

// The newest item that runs on this system and is newer than the running version.
std::optional<AppcastItem> bestAppcastItem(const QList<AppcastItem>& items,
                                           const QString& currentVersion,
                                           const QString& systemVersion);

// Strict base64 of exactly `bytes` bytes, as keys and signatures are; empty otherwise.
QByteArray decodeBase64Exactly(QStringView text, qsizetype bytes);

} // namespace vellumbox
