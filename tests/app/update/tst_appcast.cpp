// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/update/Appcast.h"

#include <QTest>

using namespace vellumbox;

namespace {

const QByteArray signature(64, 'S');

QByteArray feed(const QByteArray& items)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" xmlns:vb=\"https://vellumbox.org/xml-namespaces/appcast\">"
           "<channel><title>Vellumbox</title>" +
           items + "</channel></rss>";
}

QByteArray item(const QByteArray& version, const QByteArray& enclosureExtra = {},
                const QByteArray& extra = {})
{
    return "<item><title>Version " + version + "</title><vb:version>" + version + "</vb:version>" +
           extra + "<enclosure url=\"https://example.org/Vellumbox-" + version +
           ".deb\" length=\"1234\" type=\"application/octet-stream\" vb:edSignature=\"" +
           signature.toBase64() + "\"" + enclosureExtra + "/></item>";
}

AppcastItem versioned(const QString& version, const QString& minimumSystem = {})
{
    AppcastItem result;
    result.version = version;
    result.minimumSystemVersion = minimumSystem;
    return result;
}

} // namespace

class TestAppcast : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsEveryField();
    void leavesOutUnusableItems();
    void ignoresOtherSystems();
    void refusesHostileDocuments_data();
    void refusesHostileDocuments();
    void acceptsAnEmptyChannel();
    void choosesTheNewestApplicableItem();
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
             "vb:os=\"linux\" vb:edSignature=\"" +
             signature.toBase64() + "\"/></item>"));
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

void TestAppcast::leavesOutUnusableItems()
{
    const QByteArray huge = "99999999999999999999999999";
    const auto result = parseAppcast(feed(
        item("1.1") + "<item><title>No enclosure</title><vb:version>1.2</vb:version></item>" +
        "<item><title>No version</title><enclosure url=\"https://example.org/a.deb\" "
        "length=\"10\"/></item>" +
        "<item><title>Huge length</title><vb:version>1.3</vb:version><enclosure "
        "url=\"https://example.org/a.deb\" length=\"" +
        huge + "\"/></item>" +
        "<item><title>Negative length</title><vb:version>1.4</vb:version><enclosure "
        "url=\"https://example.org/a.deb\" length=\"-5\"/></item>" +
        "<item><title>File address</title><vb:version>1.5</vb:version><enclosure "
        "url=\"file:///etc/passwd\" length=\"5\"/></item>" +
        "<item><title>Wrong namespace</title><vb2:version "
        "xmlns:vb2=\"https://example.org/other\">1.6</vb2:version><enclosure "
        "url=\"https://example.org/a.deb\" length=\"5\"/></item>" +
        // A version of numbers too long for any integer is still a version.
        item(huge) +
        "<item><title>Bad signature</title><vb:version>1.7</vb:version><enclosure "
        "url=\"https://example.org/a.deb\" length=\"5\" vb:edSignature=\"not base64!\"/></item>" +
        "<item><title>Unsigned</title><vb:version>1.8</vb:version><enclosure "
        "url=\"https://example.org/a.deb\" length=\"5\"/></item>"));
    QVERIFY2(result.appcast, qPrintable(result.error));
    QStringList versions;
    for (const AppcastItem& read : result.appcast->items)
        versions.append(read.version);
    QCOMPARE(versions, (QStringList{QStringLiteral("1.1"), QString::fromLatin1(huge),
                                    QStringLiteral("1.7"), QStringLiteral("1.8")}));
    // Kept so that the updater can say why it will not install them.
    QVERIFY(result.appcast->items.at(2).edSignature.isEmpty());
    QVERIFY(result.appcast->items.at(3).edSignature.isEmpty());
    QCOMPARE(result.appcast->rejected.size(), 6);
    QVERIFY(result.appcast->rejected.at(0).contains(QStringLiteral("No enclosure")));
}

void TestAppcast::ignoresOtherSystems()
{
    const auto result = parseAppcast(
        feed(item("2.0", " vb:os=\"windows\"") + item("1.5", " vb:os=\"Linux\"") + item("1.4")));
    QVERIFY(result.appcast);
    QCOMPARE(result.appcast->items.size(), 2);
    QCOMPARE(result.appcast->items.at(0).version, QStringLiteral("1.5"));
    QVERIFY(result.appcast->rejected.isEmpty());
}

void TestAppcast::refusesHostileDocuments_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not XML") << QByteArray("HTTP/1.1 502 Bad Gateway\r\n\r\n<html>");
    QTest::newRow("HTML page") << QByteArray("<html><body>Hello</body></html>");
    QTest::newRow("truncated") << feed(item("1.1")).left(150);
    QTest::newRow("trailing garbage") << feed(item("1.1")) + "<rss>";
    QTest::newRow("entity expansion") << QByteArray(
        "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY a \"aaaaaaaaaa\">"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]>"
        "<rss version=\"2.0\"><channel><item><title>&c;</title></item></channel></rss>");
    QTest::newRow("external entity") << QByteArray(
        "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
        "<rss version=\"2.0\"><channel><item><title>&x;</title></item></channel></rss>");
    QTest::newRow("undeclared entity") << feed("<item><title>&x;</title></item>");
    QTest::newRow("root in a namespace")
        << QByteArray("<rss xmlns=\"https://example.org/other\"><channel/></rss>");
    QTest::newRow("too large") << feed(QByteArray(maxAppcastBytes, ' '));
}

void TestAppcast::refusesHostileDocuments()
{
    QFETCH(QByteArray, document);
    const auto result = parseAppcast(document);
    QVERIFY(!result.appcast);
    QVERIFY(!result.error.isEmpty());
}

void TestAppcast::acceptsAnEmptyChannel()
{
    const auto result = parseAppcast(feed({}));
    QVERIFY2(result.appcast, qPrintable(result.error));
    QVERIFY(result.appcast->items.isEmpty());
}

void TestAppcast::choosesTheNewestApplicableItem()
{
    const QList<AppcastItem> items{versioned(QStringLiteral("1.9")),
                                   versioned(QStringLiteral("1.10")),
                                   versioned(QStringLiteral("1.2"))};
    QCOMPARE(bestAppcastItem(items, QStringLiteral("1.0"), QStringLiteral("6.1"))->version,
             QStringLiteral("1.10"));
    // Nothing newer than what runs: no downgrade and no reinstall.
    QVERIFY(!bestAppcastItem(items, QStringLiteral("1.10"), QStringLiteral("6.1")));
    QVERIFY(!bestAppcastItem(items, QStringLiteral("2.0"), QStringLiteral("6.1")));
    QVERIFY(!bestAppcastItem({}, QStringLiteral("1.0"), QStringLiteral("6.1")));

    // An item for a newer system gives way to the best one this system can run.
    const QList<AppcastItem> needsNewerSystem{
        versioned(QStringLiteral("3.0"), QStringLiteral("7.0")),
        versioned(QStringLiteral("2.5"), QStringLiteral("6.1.0-18-amd64")),
        versioned(QStringLiteral("2.0"))};
    QCOMPARE(
        bestAppcastItem(needsNewerSystem, QStringLiteral("1.0"), QStringLiteral("6.1.0-18-amd64"))
            ->version,
        QStringLiteral("2.5"));
    QCOMPARE(
        bestAppcastItem(needsNewerSystem, QStringLiteral("1.0"), QStringLiteral("5.10"))->version,
        QStringLiteral("2.0"));
}

QTEST_GUILESS_MAIN(TestAppcast)
#include "tst_appcast.moc"
