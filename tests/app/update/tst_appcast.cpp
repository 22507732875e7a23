// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/update/Appcast.h"
#include "app/update/Version.h"

#include <QTest>

#include <algorithm>

using namespace vellumbox;

namespace {

const QByteArray signature(64, 'S');
const QByteArray version11 = "<vb:version>1.1</vb:version>";
const QByteArray httpsUrl = "url=\"https://example.org/a.deb\"";
const QByteArray signatureAttribute = " vb:edSignature=\"" + signature.toBase64() + "\"";
const QByteArray goodEnclosure = httpsUrl + " length=\"1234\"" + signatureAttribute;

QByteArray feed(const QByteArray& items)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" xmlns:vb=\"https://vellumbox.org/xml-namespaces/appcast\">"
           "<channel><title>Vellumbox</title>" +
           items + "</channel></rss>";
}

QByteArray item(const QByteArray& version, const QByteArray& enclosure = goodEnclosure)
{
    return "<item><title>Odd one</title>" + version + "<enclosure " + enclosure + "/></item>";
}

} // namespace

class TestAppcast : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsEveryField();
    void itemsAreKeptOrLeftOutWithAReason_data();
    void itemsAreKeptOrLeftOutWithAReason();
    void refusesHostileDocuments_data();
    void refusesHostileDocuments();
    void choosesTheNewestItemThisSystemRuns_data();
    void choosesTheNewestItemThisSystemRuns();
    void ordersVersions_data();
    void ordersVersions();
    void decodesOnlyWholeKeys_data();
    void decodesOnlyWholeKeys();
};

void TestAppcast::readsEveryField()
{
    const auto result = parseAppcast(
        feed("<item><title>Version 1.2</title>"
             "<description><![CDATA[<ul><li>Faster &amp; smaller</li></ul>]]></description>"
             "<vb:version>120</vb:version><vb:shortVersionString>1.2</vb:shortVersionString>"
             "<vb:minimumSystemVersion>5.10</vb:minimumSystemVersion>"
             "<vb:releaseNotesLink>https://example.org/notes/1.2.html</vb:releaseNotesLink>"
             "<enclosure url=\"https://example.org/Vellumbox-1.2.deb\" length=\"4096\" "
             "vb:os=\"linux\"" +
             signatureAttribute + "/></item>"));
    QVERIFY2(result.appcast, qPrintable(result.error));
    QCOMPARE(result.appcast->items.size(), 1);
    const AppcastItem& read = result.appcast->items.first();
    QCOMPARE(read.title, QStringLiteral("Version 1.2"));
    QCOMPARE(read.version, QStringLiteral("120"));
    QCOMPARE(read.displayVersion(), QStringLiteral("1.2"));
    QCOMPARE(read.minimumSystemVersion, QStringLiteral("5.10"));
    QCOMPARE(read.releaseNotesLink, QUrl(QStringLiteral("https://example.org/notes/1.2.html")));
    QCOMPARE(read.description, QStringLiteral("<ul><li>Faster &amp; smaller</li></ul>"));
    QCOMPARE(read.enclosureUrl, QUrl(QStringLiteral("https://example.org/Vellumbox-1.2.deb")));
    QCOMPARE(read.enclosureLength, 4096);
    QCOMPARE(read.edSignature, signature);
}

void TestAppcast::itemsAreKeptOrLeftOutWithAReason_data()
{
    QTest::addColumn<QByteArray>("items");
    QTest::addColumn<QString>("kept"); // the version read, or empty
    QTest::addColumn<bool>("isSigned");
    QTest::addColumn<QString>("reason"); // for the log, or empty
    const QByteArray huge = "99999999999999999999999999";
    QTest::newRow("usable") << item(version11) << "1.1" << true << QString();
    // A version of numbers too long for any integer is still a version.
    QTest::newRow("huge version") << item("<vb:version>" + huge + "</vb:version>")
                                  << QString::fromLatin1(huge) << true << QString();
    // Kept so that the updater can say why it will not install them.
    QTest::newRow("unsigned") << item(version11, httpsUrl + " length=\"5\"") << "1.1" << false
                              << QString();
    QTest::newRow("signature not base64")
        << item(version11, httpsUrl + " length=\"5\" vb:edSignature=\"not base64!\"") << "1.1"
        << false << QString();
    QTest::newRow("no enclosure") << QByteArray("<item><title>Odd one</title>" + version11 +
                                                "</item>")
                                  << QString() << false << "Odd one has no enclosure";
    QTest::newRow("no version") << item({}) << QString() << false
                                << "Odd one has no usable version";
    QTest::newRow("overlong version")
        << item("<vb:version>" + QByteArray(65, '1') + "</vb:version>") << QString() << false
        << "Odd one has no usable version";
    QTest::newRow("version in another namespace")
        << item("<o:version xmlns:o=\"https://example.org/other\">1.6</o:version>") << QString()
        << false << "Odd one has no usable version";
    for (const QByteArray& length : {huge, QByteArray("-5"), QByteArray("0"), QByteArray("ten")})
        QTest::addRow("length %s", length.constData())
            << item(version11, httpsUrl + " length=\"" + length + "\"") << QString() << false
            << "Odd one has no usable enclosure length";
    QTest::newRow("file address") << item(version11, "url=\"file:///etc/passwd\" length=\"5\"")
                                  << QString() << false
                                  << "Odd one has no usable enclosure address";
    QTest::newRow("for another system")
        << item(version11, goodEnclosure + " vb:os=\"windows\"") << QString() << false << QString();
    QTest::newRow("for this system")
        << item(version11, goodEnclosure + " vb:os=\"Linux\"") << "1.1" << true << QString();
}

void TestAppcast::itemsAreKeptOrLeftOutWithAReason()
{
    QFETCH(QByteArray, items);
    QFETCH(QString, kept);
    QFETCH(bool, isSigned);
    QFETCH(QString, reason);
    const auto result = parseAppcast(feed(items));
    QVERIFY2(result.appcast, qPrintable(result.error));
    QCOMPARE(result.appcast->rejected, reason.isEmpty() ? QStringList() : QStringList{reason});
    QCOMPARE(result.appcast->items.size(), kept.isEmpty() ? 0 : 1);
    if (!kept.isEmpty()) {
        QCOMPARE(result.appcast->items.first().version, kept);
        QCOMPARE(result.appcast->items.first().edSignature, isSigned ? signature : QByteArray());
    }
}

void TestAppcast::refusesHostileDocuments_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("error");
    const QString notXml = QStringLiteral("is not XML");
    const QString malformed = QStringLiteral("not well-formed");
    const QString doctype = QStringLiteral("declares a document type");
    QTest::newRow("empty") << QByteArray() << notXml;
    QTest::newRow("not XML") << QByteArray("HTTP/1.1 502 Bad Gateway\r\n\r\n<html>") << notXml;
    QTest::newRow("HTML page") << QByteArray("<html><body>Hello</body></html>")
                               << QStringLiteral("not an RSS document");
    QTest::newRow("root in a namespace")
        << QByteArray("<rss xmlns=\"https://example.org/other\"><channel/></rss>")
        << QStringLiteral("not an RSS document");
    QTest::newRow("truncated") << feed(item(version11)).left(150) << malformed;
    QTest::newRow("trailing garbage") << feed(item(version11)) + "<rss>" << malformed;
    QTest::newRow("undeclared entity") << feed("<item><title>&x;</title></item>") << malformed;
    QTest::newRow("entity expansion")
        << QByteArray(
               "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY a \"aaaaaaaaaa\">"
               "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c "
               "\"&b;&b;&b;&b;&b;&b;&b;&b;\">]>"
               "<rss version=\"2.0\"><channel><item><title>&c;</title></item></channel></rss>")
        << doctype;
    QTest::newRow("external entity")
        << QByteArray(
               "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
               "<rss version=\"2.0\"><channel><item><title>&x;</title></item></channel></rss>")
        << doctype;
    QTest::newRow("too large") << feed(QByteArray(maxAppcastBytes, ' '))
                               << QStringLiteral("larger than");
}

void TestAppcast::refusesHostileDocuments()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, error);
    const auto result = parseAppcast(document);
    QVERIFY(!result.appcast);
    QVERIFY2(result.error.contains(error), qPrintable(result.error));
}

void TestAppcast::choosesTheNewestItemThisSystemRuns_data()
{
    QTest::addColumn<QStringList>("items"); // version, or version@minimum system
    QTest::addColumn<QString>("running");
    QTest::addColumn<QString>("system");
    QTest::addColumn<QString>("best"); // empty for none
    const QStringList numbered{QStringLiteral("1.9"), QStringLiteral("1.10"),
                               QStringLiteral("1.2")};
    const QStringList systems{QStringLiteral("3.0@7.0"), QStringLiteral("2.5@6.1.0-18-amd64"),
                              QStringLiteral("2.0")};
    QTest::newRow("by number, not text") << numbered << "1.0"
                                         << "6.1"
                                         << "1.10";
    QTest::newRow("already the newest") << numbered << "1.10"
                                        << "6.1" << QString();
    QTest::newRow("no downgrade") << numbered << "2.0"
                                  << "6.1" << QString();
    QTest::newRow("empty feed") << QStringList() << "1.0"
                                << "6.1" << QString();
    QTest::newRow("exactly the minimum system") << systems << "1.0"
                                                << "6.1.0-18-amd64"
                                                << "2.5";
    QTest::newRow("older system") << systems << "1.0"
                                  << "5.10"
                                  << "2.0";
}

void TestAppcast::choosesTheNewestItemThisSystemRuns()
{
    QFETCH(QStringList, items);
    QFETCH(QString, running);
    QFETCH(QString, system);
    QFETCH(QString, best);
    QList<AppcastItem> appcastItems;
    for (const QString& spec : items) {
        AppcastItem& added = appcastItems.emplace_back();
        added.version = spec.section(QLatin1Char('@'), 0, 0);
        added.minimumSystemVersion = spec.section(QLatin1Char('@'), 1);
    }
    const auto chosen = bestAppcastItem(appcastItems, running, system);
    QCOMPARE(chosen ? chosen->version : QString(), best);
}

void TestAppcast::ordersVersions_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("order"); // of a against b
    QTest::newRow("numbers, not text") << "1.9"
                                       << "1.10" << -1;
    QTest::newRow("major beats minor") << "1.99.99"
                                       << "2.0" << -1;
    QTest::newRow("release beats its beta") << "2.0-beta"
                                            << "2.0" << -1;
    QTest::newRow("release beats its beta, no dash") << "2.0b1"
                                                     << "2.0" << -1;
    QTest::newRow("beta numbers") << "2.0-beta2"
                                  << "2.0-beta10" << -1;
    QTest::newRow("alpha before beta") << "2.0-alpha"
                                       << "2.0-beta" << -1;
    QTest::newRow("more parts") << "1.0"
                                << "1.0.1" << -1;
    QTest::newRow("patch beats a pre-release") << "1.0b"
                                               << "1.0.1" << -1;
    QTest::newRow("zeros, then a pre-release") << "1.0.0a"
                                               << "1" << -1;
    QTest::newRow("beyond 64 bits") << "1.18446744073709551615"
                                    << "1.18446744073709551616" << -1;
    QTest::newRow("huge against small") << "3"
                                        << "99999999999999999999999999999999" << -1;
    QTest::newRow("empty is oldest") << ""
                                     << "0.0.1" << -1;
    QTest::newRow("same") << "1.2.3"
                          << "1.2.3" << 0;
    QTest::newRow("trailing zeros") << "1.0"
                                    << "1.0.0" << 0;
    QTest::newRow("leading zeros") << "1.02"
                                   << "1.2" << 0;
    QTest::newRow("letter case") << "2.0-Beta"
                                 << "2.0-beta" << 0;
    QTest::newRow("separators") << "1-2"
                                << "1.2" << 0;
}

// Both ways, so that an answer of "always newer" cannot pass.
void TestAppcast::ordersVersions()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, order);
    QCOMPARE(std::clamp(compareVersions(a, b), -1, 1), order);
    QCOMPARE(std::clamp(compareVersions(b, a), -1, 1), -order);
}

void TestAppcast::decodesOnlyWholeKeys_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("decoded");
    const QByteArray key(32, 'k');
    QTest::newRow("whole key") << QString::fromLatin1(key.toBase64()) << key;
    QTest::newRow("surrounded by blanks")
        << QStringLiteral("\n  %1 ").arg(QString::fromLatin1(key.toBase64())) << key;
    QTest::newRow("one byte short") << QString::fromLatin1(key.left(31).toBase64()) << QByteArray();
    QTest::newRow("one byte long") << QString::fromLatin1((key + 'k').toBase64()) << QByteArray();
    QTest::newRow("not base64") << QStringLiteral("not a key at all!") << QByteArray();
    QTest::newRow("empty") << QString() << QByteArray();
}

void TestAppcast::decodesOnlyWholeKeys()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, decoded);
    QCOMPARE(decodeBase64Exactly(text, 32), decoded);
}

QTEST_GUILESS_MAIN(TestAppcast)
#include "tst_appcast.moc"
