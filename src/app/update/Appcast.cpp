// SPDX-License-Identifier: GPL-3.0-or-later
#include "Appcast.h"

#include "Version.h"

#include <QCoreApplication>
#include <QXmlStreamReader>

namespace vellumbox {

namespace {

constexpr qsizetype maxVersionLength = 64;
const QLatin1StringView thisSystem{"linux"};

struct Enclosure {
    QString url;
    QString length;
    QString signature;
    QString os;
};

struct RawItem {
    AppcastItem item;
    std::optional<Enclosure> enclosure;
};

bool isOurs(const QXmlStreamReader& reader)
{
    return reader.namespaceUri() == appcastNamespace;
}

QUrl webUrl(const QString& text)
{
    QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("https") && scheme != QLatin1String("http")))
        return {};
    return url;
}

Enclosure readEnclosure(const QXmlStreamAttributes& attributes)
{
    return {attributes.value(QLatin1String("url")).toString(),
            attributes.value(QLatin1String("length")).toString(),
            attributes.value(appcastNamespace, QLatin1String("edSignature")).toString(),
            attributes.value(appcastNamespace, QLatin1String("os")).toString()};
}

// Reads one <item>; the reader stands on its start tag and is left on its end tag.
RawItem readItem(QXmlStreamReader& reader)
{
    RawItem raw;
    AppcastItem& item = raw.item;
    while (reader.readNextStartElement()) {
        const QStringView name = reader.name();
        if (reader.namespaceUri().isEmpty() && name == QLatin1String("enclosure")) {
            raw.enclosure = readEnclosure(reader.attributes());
            reader.skipCurrentElement();
        } else if (reader.namespaceUri().isEmpty() && name == QLatin1String("title")) {
            item.title = reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        } else if (reader.namespaceUri().isEmpty() && name == QLatin1String("description")) {
            item.description = reader.readElementText(QXmlStreamReader::SkipChildElements);
        } else if (isOurs(reader) && name == QLatin1String("version")) {
            item.version = reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        } else if (isOurs(reader) && name == QLatin1String("shortVersionString")) {
            item.shortVersionString =
                reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        } else if (isOurs(reader) && name == QLatin1String("minimumSystemVersion")) {
            item.minimumSystemVersion =
                reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        } else if (isOurs(reader) && name == QLatin1String("releaseNotesLink")) {
            item.releaseNotesLink =
                webUrl(reader.readElementText(QXmlStreamReader::SkipChildElements));
        } else {
            reader.skipCurrentElement();
        }
    }
    return raw;
}

// Completes the item from its enclosure, or answers why it cannot be used.
std::optional<QString> finishItem(RawItem& raw)
{
    AppcastItem& item = raw.item;
    const QString label = item.title.isEmpty() ? QStringLiteral("an item") : item.title;
    if (item.version.isEmpty() || item.version.size() > maxVersionLength)
        return label + QStringLiteral(" has no usable version");
    if (item.shortVersionString.size() > maxVersionLength)
        item.shortVersionString.clear();
    if (!raw.enclosure)
        return label + QStringLiteral(" has no enclosure");
    item.enclosureUrl = webUrl(raw.enclosure->url);
    if (item.enclosureUrl.isEmpty())
        return label + QStringLiteral(" has no usable enclosure address");
    bool ok = false;
    item.enclosureLength = raw.enclosure->length.trimmed().toLongLong(&ok);
    if (!ok || item.enclosureLength <= 0)
        return label + QStringLiteral(" has no usable enclosure length");
    item.edSignature = decodeBase64Exactly(raw.enclosure->signature, ed25519SignatureBytes);
    return std::nullopt;
}

bool isForThisSystem(const RawItem& raw)
{
    return !raw.enclosure || raw.enclosure->os.isEmpty() ||
           raw.enclosure->os.compare(thisSystem, Qt::CaseInsensitive) == 0;
}

void readChannel(QXmlStreamReader& reader, Appcast& appcast)
{
    while (reader.readNextStartElement()) {
        if (reader.namespaceUri().isEmpty() && reader.name() == QLatin1String("item")) {
            RawItem raw = readItem(reader);
            if (!isForThisSystem(raw))
                continue;
            if (const auto reason = finishItem(raw))
                appcast.rejected.append(*reason);
            else
                appcast.items.append(std::move(raw.item));
        } else {
            reader.skipCurrentElement();
        }
    }
}

// Stops at a document type declaration: the feed has no use for one, and only it could
// declare entities.
class GuardedReader {
public:
    explicit GuardedReader(const QByteArray& data)
        : reader_(data)
    {}

    QXmlStreamReader& reader() { return reader_; }

    bool toRootElement()
    {
        while (!reader_.atEnd()) {
            const auto token = reader_.readNext();
            if (token == QXmlStreamReader::DTD) {
                sawDtd_ = true;
                return false;
            }
            if (token == QXmlStreamReader::StartElement)
                return true;
        }
        return false;
    }
    bool sawDtd() const { return sawDtd_; }

private:
    QXmlStreamReader reader_;
    bool sawDtd_ = false;
};

} // namespace

AppcastParseResult parseAppcast(const QByteArray& data)
{
    if (data.size() > maxAppcastBytes)
        return {std::nullopt,
                QCoreApplication::translate("Appcast", "the feed is larger than %1 bytes")
                    .arg(maxAppcastBytes)};
    GuardedReader guarded(data);
    QXmlStreamReader& reader = guarded.reader();
    if (!guarded.toRootElement()) {
        if (guarded.sawDtd())
            return {std::nullopt,
                    QCoreApplication::translate("Appcast", "the feed declares a document type")};
        return {std::nullopt, QCoreApplication::translate("Appcast", "the feed is not XML: %1")
                                  .arg(reader.errorString())};
    }
    if (!reader.namespaceUri().isEmpty() || reader.name() != QLatin1String("rss"))
        return {std::nullopt,
                QCoreApplication::translate("Appcast", "the feed is not an RSS document")};
    Appcast appcast;
    while (reader.readNextStartElement()) {
        if (reader.namespaceUri().isEmpty() && reader.name() == QLatin1String("channel"))
            readChannel(reader, appcast);
        else
            reader.skipCurrentElement();
    }
    // Reads to the end so that trailing garbage is noticed too.
    while (!reader.atEnd() && !reader.hasError())
        reader.readNext();
    if (reader.hasError())
        return {std::nullopt, QCoreApplication::translate(
                                  "Appcast", "the feed is not well-formed XML: %1 (line %2)")
                                  .arg(reader.errorString())
                                  .arg(reader.lineNumber())};
    return {std::move(appcast), {}};
}

std::optional<AppcastItem> bestAppcastItem(const QList<AppcastItem>& items,
                                           const QString& currentVersion,
                                           const QString& systemVersion)
{
    const AppcastItem* best = nullptr;
    for (const AppcastItem& item : items) {
        if (!item.minimumSystemVersion.isEmpty() &&
            compareVersions(systemVersion, item.minimumSystemVersion) < 0)
            continue;
        if (!best || compareVersions(item.version, best->version) > 0)
            best = &item;
    }
    if (!best || compareVersions(best->version, currentVersion) <= 0)
        return std::nullopt;
    return *best;
}

QByteArray decodeBase64Exactly(QStringView text, qsizetype bytes)
{
    const auto decoded = QByteArray::fromBase64Encoding(text.trimmed().toLatin1(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != bytes)
        return {};
    return decoded.decoded;
}

} // namespace vellumbox
