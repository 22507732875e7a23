// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeCheckTimer.h"
#include "FakeUpdateUserDriver.h"
#include "LoopbackHttpServer.h"
#include "TestKeyPair.h"
#include "app/update/UpdaterManager.h"
#include "app/update/UpdaterState.h"
#include "platform/fakes/FakePlatform.h"

#include <QDir>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vellumbox;
using Outcome = UpdaterManager::CheckOutcome;

namespace {

constexpr qint64 hour = qint64(60) * 60 * 1000;
const QString feedPath = QStringLiteral("/appcast.xml");

struct Release {
    QString version;
    QByteArray package;
    QByteArray signature; // empty for none
    qint64 announcedLength = -1;
};

} // namespace

// The updater against a feed and packages served on 127.0.0.1, with the windows, the
// desktop's opener and the timer faked.
class TestUpdaterManager : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void withoutAFeedNothingIsChecked_data();
    void withoutAFeedNothingIsChecked();
    void upToDateIncludesOfferedDowngrades();
    void newerVersionIsOfferedAndOnlyUnaskedOnesComeToTheFront();
    void remindLaterOffersItAgainNextTime();
    void skippedVersionIsNeverOfferedAgain();
    void installsOnlyAVerifiedPackage();
    void rejectedPackagesAreDeletedAndReported_data();
    void rejectedPackagesAreDeletedAndReported();
    void cancelledDownloadLeavesNothing();
    void feedFaultsAreReportedOnlyWhenAsked_data();
    void feedFaultsAreReportedOnlyWhenAsked();
    void unsignedOrInsecureItemsAreNeverDownloaded_data();
    void unsignedOrInsecureItemsAreNeverDownloaded();
    void fullOrUnwritableDiskIsReported();
    void checksOnceADay();
    void stateLivesApartFromThePreferences();

private:
    UpdaterConfig config() const;
    std::unique_ptr<UpdaterManager> makeManager(UpdaterConfig config);
    std::unique_ptr<UpdaterManager> makeManager() { return makeManager(config()); }
    QByteArray feed(const QList<Release>& releases) const;
    void serve(const QList<Release>& releases);
    Outcome check(UpdaterManager& manager, bool userInitiated);
    bool install(UpdaterManager& manager);
    QStringList downloads() const;

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<LoopbackHttpServer> server_;
    TestKeyPair keys_;
    FakeUpdateUserDriver driver_;
    FakePackageOpener opener_;
    fakes::FakeClock clock_;
    FakeCheckTimer timer_;
};

void TestUpdaterManager::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    server_ = std::make_unique<LoopbackHttpServer>();
    driver_ = {};
    opener_ = {};
    timer_.stop();
    clock_.dateTime = QDateTime(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);
}

void TestUpdaterManager::cleanup()
{
    server_.reset();
    dir_.reset();
}

UpdaterConfig TestUpdaterManager::config() const
{
    UpdaterConfig config;
    config.feedUrl = server_->url(feedPath);
    config.publicKey = keys_.publicKey;
    config.currentVersion = QStringLiteral("1.0");
    config.systemVersion = QStringLiteral("6.1.0");
    config.stateFile = dir_->filePath(QStringLiteral("state/updater.ini"));
    config.downloadDirectory = dir_->filePath(QStringLiteral("downloads"));
    // Short, so that the faults that wait for them end soon.
    config.feedLimits.stallTimeoutMs = 500;
    config.feedLimits.totalTimeoutMs = 1500;
    config.downloadStallTimeoutMs = 500;
    config.availableBytes = [](const QString&) { return qint64(1) << 40; };
    return config;
}

std::unique_ptr<UpdaterManager> TestUpdaterManager::makeManager(UpdaterConfig config)
{
    return std::make_unique<UpdaterManager>(std::move(config), driver_, opener_, clock_, timer_);
}

QByteArray TestUpdaterManager::feed(const QList<Release>& releases) const
{
    QByteArray items;
    for (const Release& release : releases) {
        const QString path = QStringLiteral("/Vellumbox-%1.deb").arg(release.version);
        const qint64 length =
            release.announcedLength >= 0 ? release.announcedLength : release.package.size();
        QByteArray signature;
        if (!release.signature.isEmpty())
            signature = " vb:edSignature=\"" + release.signature.toBase64() + "\"";
        items += "<item><title>Vellumbox " + release.version.toUtf8() +
                 "</title><description>Better.</description><vb:version>" +
                 release.version.toUtf8() + "</vb:version><enclosure url=\"" +
                 server_->url(path).toEncoded() + "\" length=\"" + QByteArray::number(length) +
                 "\"" + signature + "/></item>";
    }
    return "<?xml version=\"1.0\"?><rss version=\"2.0\" "
           "xmlns:vb=\"https://vellumbox.org/xml-namespaces/appcast\"><channel>" +
           items + "</channel></rss>";
}

void TestUpdaterManager::serve(const QList<Release>& releases)
{
    server_->answer(feedPath, feed(releases));
    for (const Release& release : releases)
        server_->answer(QStringLiteral("/Vellumbox-%1.deb").arg(release.version), release.package);
}

Outcome TestUpdaterManager::check(UpdaterManager& manager, bool userInitiated)
{
    QSignalSpy finished(&manager, &UpdaterManager::checkFinished);
    if (userInitiated)
        manager.checkForUpdates();
    else
        timer_.fire();
    if (finished.isEmpty() && !finished.wait(10'000))
        return Outcome::NoFeed;
    return finished.first().first().value<Outcome>();
}

bool TestUpdaterManager::install(UpdaterManager& manager)
{
    QSignalSpy finished(&manager, &UpdaterManager::installFinished);
    driver_.choose(UpdateChoice::Install);
    if (finished.isEmpty() && !finished.wait(10'000))
        return false;
    return finished.first().first().toBool();
}

QStringList TestUpdaterManager::downloads() const
{
    return QDir(dir_->filePath(QStringLiteral("downloads"))).entryList(QDir::Files);
}

void TestUpdaterManager::withoutAFeedNothingIsChecked_data()
{
    QTest::addColumn<QString>("feed");
    QTest::addColumn<bool>("withKey");
    QTest::newRow("no feed") << QString() << true;
    QTest::newRow("feed but no key") << QStringLiteral("/appcast.xml") << false;
    QTest::newRow("plain HTTP feed") << QStringLiteral("http://updates.example.org/a.xml") << true;
}

void TestUpdaterManager::withoutAFeedNothingIsChecked()
{
    QFETCH(QString, feed);
    QFETCH(bool, withKey);
    UpdaterConfig settings = config();
    settings.feedUrl = feed.startsWith(QLatin1Char('/')) ? server_->url(feed) : QUrl(feed);
    if (!withKey)
        settings.publicKey.clear();
    auto manager = makeManager(settings);
    QVERIFY(!manager->hasFeed());
    manager->start();
    QVERIFY(!timer_.pendingDelayMs);
    QCOMPARE(check(*manager, true), Outcome::NoFeed);
    QCOMPARE(driver_.events, QStringList{QStringLiteral("noFeed")});
    QVERIFY(server_->requests.isEmpty());
}

void TestUpdaterManager::upToDateIncludesOfferedDowngrades()
{
    serve({{QStringLiteral("0.9"), "old", keys_.sign("old")},
           {QStringLiteral("1.0"), "same", keys_.sign("same")}});
    auto manager = makeManager();
    QVERIFY(manager->hasFeed());
    QCOMPARE(check(*manager, true), Outcome::UpToDate);
    QCOMPARE(driver_.events, QStringList{QStringLiteral("upToDate 1.0")});
    QCOMPARE(server_->requests, QStringList{feedPath});
    QCOMPARE(UpdaterState(config().stateFile).lastCheckTime(), clock_.dateTime);
}

void TestUpdaterManager::newerVersionIsOfferedAndOnlyUnaskedOnesComeToTheFront()
{
    serve({{QStringLiteral("1.9"), "a", keys_.sign("a")},
           {QStringLiteral("1.10"), "b", keys_.sign("b")},
           {QStringLiteral("1.2"), "c", keys_.sign("c")}});
    auto manager = makeManager();
    QCOMPARE(check(*manager, true), Outcome::UpdateOffered);
    QCOMPARE(driver_.events, QStringList{QStringLiteral("updateFound 1.10 over 1.0")});

    driver_.choose(UpdateChoice::RemindLater);
    driver_.events.clear();
    manager->start();
    QCOMPARE(check(*manager, false), Outcome::UpdateOffered);
    QCOMPARE(driver_.events,
             (QStringList{QStringLiteral("front"), QStringLiteral("updateFound 1.10 over 1.0")}));
    // Nothing was downloaded without being asked.
    QCOMPARE(server_->requests, (QStringList{feedPath, feedPath}));
}

void TestUpdaterManager::remindLaterOffersItAgainNextTime()
{
    serve({{QStringLiteral("1.1"), "a", keys_.sign("a")}});
    auto manager = makeManager();
    manager->start();
    QCOMPARE(check(*manager, false), Outcome::UpdateOffered);
    // While the offer is up, the next daily check does not pile a second one on it.
    timer_.fire();
    QCOMPARE(driver_.events.count(QStringLiteral("updateFound 1.1 over 1.0")), 1);
    QCOMPARE(server_->requests.size(), 1);
    driver_.choose(UpdateChoice::RemindLater);
    QCOMPARE(check(*manager, false), Outcome::UpdateOffered);
    QCOMPARE(driver_.events.count(QStringLiteral("updateFound 1.1 over 1.0")), 2);
}

void TestUpdaterManager::skippedVersionIsNeverOfferedAgain()
{
    serve({{QStringLiteral("1.1"), "a", keys_.sign("a")}});
    {
        auto manager = makeManager();
        QCOMPARE(check(*manager, true), Outcome::UpdateOffered);
        driver_.choose(UpdateChoice::Skip);
    }
    // Remembered across runs.
    driver_.events.clear();
    auto manager = makeManager();
    manager->start();
    QCOMPARE(check(*manager, false), Outcome::SkippedVersion);
    QVERIFY(driver_.events.isEmpty());
    QCOMPARE(check(*manager, true), Outcome::SkippedVersion);
    QCOMPARE(driver_.events, QStringList{QStringLiteral("upToDate 1.0")});
    QCOMPARE(driver_.upToDateSkipped, QStringLiteral("1.1"));

    // A later release is offered again.
    serve({{QStringLiteral("1.1"), "a", keys_.sign("a")},
           {QStringLiteral("1.2"), "b", keys_.sign("b")}});
    driver_.events.clear();
    QCOMPARE(check(*manager, false), Outcome::UpdateOffered);
    QCOMPARE(driver_.events.last(), QStringLiteral("updateFound 1.2 over 1.0"));
}

void TestUpdaterManager::installsOnlyAVerifiedPackage()
{
    const QByteArray package(300'000, 'p');
    serve({{QStringLiteral("1.1"), package, keys_.sign(package)}});
    auto manager = makeManager();
    QCOMPARE(check(*manager, true), Outcome::UpdateOffered);
    QVERIFY(install(*manager));
    QCOMPARE(driver_.events, (QStringList{QStringLiteral("updateFound 1.1 over 1.0"),
                                          QStringLiteral("downloading 1.1")}));
    QCOMPARE(opener_.opened.size(), 1);
    QFile opened(opener_.opened.first());
    QVERIFY(opened.open(QIODevice::ReadOnly));
    QCOMPARE(opened.readAll(), package);
    QCOMPARE(downloads(), QStringList{QStringLiteral("Vellumbox-1.1.deb")});
}

void TestUpdaterManager::rejectedPackagesAreDeletedAndReported_data()
{
    QTest::addColumn<QByteArray>("served");
    QTest::addColumn<qint64>("announced");
    QTest::addColumn<QByteArray>("signature");
    QTest::addColumn<QString>("reason");
    const QByteArray package(100'000, 'p');
    QByteArray tampered = package;
    tampered[10] = 'q';
    const TestKeyPair stranger;
    QTest::newRow("tampered") << tampered << qint64(package.size()) << keys_.sign(package)
                              << QStringLiteral("improperly signed");
    QTest::newRow("someone else's key")
        << package << qint64(package.size()) << stranger.sign(package)
        << QStringLiteral("improperly signed");
    QTest::newRow("truncated") << package.left(60'000) << qint64(package.size())
                               << keys_.sign(package) << QStringLiteral("announced size");
    QTest::newRow("longer than announced") << package << qint64(50'000) << keys_.sign(package)
                                           << QStringLiteral("more data than expected");
}

void TestUpdaterManager::rejectedPackagesAreDeletedAndReported()
{
    QFETCH(QByteArray, served);
    QFETCH(qint64, announced);
    QFETCH(QByteArray, signature);
    QFETCH(QString, reason);
    serve({{QStringLiteral("1.1"), served, signature, announced}});
    auto manager = makeManager();
    QCOMPARE(check(*manager, true), Outcome::UpdateOffered);
    QVERIFY(!install(*manager));
    QCOMPARE(driver_.events.last(), QStringLiteral("error"));
    QVERIFY2(driver_.lastError.contains(reason), qPrintable(driver_.lastError));
    QVERIFY(opener_.opened.isEmpty());
    QCOMPARE(downloads(), QStringList());
}

void TestUpdaterManager::cancelledDownloadLeavesNothing()
{
    serve({{QStringLiteral("1.1"), "x", keys_.sign("x"), 100'000'000}});
    server_->route(QStringLiteral("/Vellumbox-1.1.deb"),
                   {LoopbackHttpServer::Behaviour::Trickle, 200, {}, {}});
    auto manager = makeManager();
    QCOMPARE(check(*manager, true), Outcome::UpdateOffered);
    QSignalSpy finished(manager.get(), &UpdaterManager::installFinished);
    driver_.choose(UpdateChoice::Install);
    QVERIFY(driver_.pendingCancel);
    QTRY_VERIFY(!downloads().isEmpty()); // the partial file is being written
    driver_.pendingCancel();
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().first().toBool(), false);
    QVERIFY(!driver_.events.contains(QStringLiteral("error")));
    QVERIFY(opener_.opened.isEmpty());
    QCOMPARE(downloads(), QStringList());
}

void TestUpdaterManager::feedFaultsAreReportedOnlyWhenAsked_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<bool>("userInitiated");
    const QStringList faults{QStringLiteral("garbage"),       QStringLiteral("not found"),
                             QStringLiteral("never answers"), QStringLiteral("endless"),
                             QStringLiteral("trickle"),       QStringLiteral("redirect to HTTP"),
                             QStringLiteral("no server")};
    for (int fault = 0; fault < faults.size(); ++fault) {
        QTest::addRow("%s, asked", qPrintable(faults.at(fault))) << fault << true;
        QTest::addRow("%s, scheduled", qPrintable(faults.at(fault))) << fault << false;
    }
}

void TestUpdaterManager::feedFaultsAreReportedOnlyWhenAsked()
{
    QFETCH(int, fault);
    QFETCH(bool, userInitiated);
    using Behaviour = LoopbackHttpServer::Behaviour;
    UpdaterConfig settings = config();
    switch (fault) {
    case 0:
        server_->answer(feedPath, "<html><body>Welcome to nginx!</body></html>");
        break;
    case 1:
        server_->answer(feedPath, "gone", 404);
        break;
    case 2:
        server_->route(feedPath, {Behaviour::Silent, 200, {}, {}});
        break;
    case 3:
        server_->route(feedPath, {Behaviour::Endless, 200, {}, {}});
        break;
    case 4:
        settings.feedLimits.stallTimeoutMs = 10'000;
        server_->route(feedPath, {Behaviour::Trickle, 200, {}, {}});
        break;
    case 5:
        server_->redirect(feedPath, QUrl(QStringLiteral("http://updates.example.org/a.xml")));
        break;
    case 6: {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        settings.feedUrl =
            QUrl(QStringLiteral("http://127.0.0.1:%1/a.xml").arg(closed.serverPort()));
        break;
    }
    }
    auto manager = makeManager(settings);
    manager->start();
    QCOMPARE(check(*manager, userInitiated), Outcome::Failed);
    if (userInitiated) {
        QCOMPARE(driver_.events, QStringList{QStringLiteral("error")});
        QVERIFY(!driver_.lastError.isEmpty());
    } else {
        QVERIFY(driver_.events.isEmpty());
    }
    // Tried again tomorrow, not at once.
    QCOMPARE(timer_.pendingDelayMs, std::optional<qint64>(24 * hour));
}

void TestUpdaterManager::unsignedOrInsecureItemsAreNeverDownloaded_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<bool>("userInitiated");
    QTest::addColumn<QString>("reason");
    const QByteArray head = "<rss version=\"2.0\" "
                            "xmlns:vb=\"https://vellumbox.org/xml-namespaces/appcast\"><channel>"
                            "<item><vb:version>1.1</vb:version>";
    const QByteArray unsignedItem =
        head + "<enclosure url=\"https://example.org/a.deb\" length=\"5\"/></item></channel></rss>";
    const QByteArray plainHttp =
        head + "<enclosure url=\"http://example.org/a.deb\" length=\"5\" vb:edSignature=\"" +
        QByteArray(64, 's').toBase64() + "\"/></item></channel></rss>";
    QTest::newRow("unsigned,") << unsignedItem << true << QStringLiteral("signature");
    QTest::newRow("unsigned,") << unsignedItem << false << QString();
    QTest::newRow("plain HTTP,") << plainHttp << true << QStringLiteral("insecure");
    QTest::newRow("plain HTTP,") << plainHttp << false << QString();
}

void TestUpdaterManager::unsignedOrInsecureItemsAreNeverDownloaded()
{
    QFETCH(QByteArray, document);
    QFETCH(bool, userInitiated);
    QFETCH(QString, reason);
    server_->answer(feedPath, document);
    auto manager = makeManager();
    manager->start();
    QCOMPARE(check(*manager, userInitiated), Outcome::Failed);
    if (userInitiated) {
        QCOMPARE(driver_.events, QStringList{QStringLiteral("error")});
        QVERIFY2(driver_.lastError.contains(reason), qPrintable(driver_.lastError));
    } else {
        QVERIFY(driver_.events.isEmpty());
    }
    QVERIFY(driver_.pendingReply == nullptr);
}

void TestUpdaterManager::fullOrUnwritableDiskIsReported()
{
    const QByteArray package(50'000, 'p');
    serve({{QStringLiteral("1.1"), package, keys_.sign(package)}});
    UpdaterConfig settings = config();
    settings.availableBytes = [](const QString&) { return qint64(4096); };
    auto manager = makeManager(settings);
    QCOMPARE(check(*manager, true), Outcome::UpdateOffered);
    QVERIFY(!install(*manager));
    QVERIFY2(driver_.lastError.contains(QStringLiteral("not enough free disk space")),
             qPrintable(driver_.lastError));
    QCOMPARE(server_->requests, QStringList{feedPath});

    // A folder that cannot be made: it would lie inside a file.
    QFile blocker(dir_->filePath(QStringLiteral("blocker")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    settings = config();
    settings.downloadDirectory = blocker.fileName() + QStringLiteral("/downloads");
    manager = makeManager(settings);
    QCOMPARE(check(*manager, true), Outcome::UpdateOffered);
    QVERIFY(!install(*manager));
    QVERIFY2(driver_.lastError.contains(QStringLiteral("could not be created")),
             qPrintable(driver_.lastError));
    QVERIFY(opener_.opened.isEmpty());
}

void TestUpdaterManager::checksOnceADay()
{
    serve({});
    UpdaterConfig settings = config();
    settings.firstCheckDelayMs = qint64(5) * 60 * 1000;
    {
        auto manager = makeManager(settings);
        manager->start();
        // Never checked: a while after launch.
        QCOMPARE(timer_.pendingDelayMs, std::optional<qint64>(settings.firstCheckDelayMs));
        QCOMPARE(check(*manager, false), Outcome::UpToDate);
        QCOMPARE(timer_.pendingDelayMs, std::optional<qint64>(24 * hour));
        QVERIFY(driver_.events.isEmpty());
    }
    // Checked two hours ago: the next one is due in 22.
    clock_.dateTime = clock_.dateTime.addSecs(qint64(2) * 60 * 60);
    {
        auto manager = makeManager(settings);
        manager->start();
        QCOMPARE(timer_.pendingDelayMs, std::optional<qint64>(22 * hour));
    }
    // Long overdue, or a clock turned back: a while after launch again.
    for (const int days : {3, -3}) {
        clock_.dateTime = QDateTime(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC).addDays(days);
        auto manager = makeManager(settings);
        manager->start();
        QCOMPARE(timer_.pendingDelayMs, std::optional<qint64>(settings.firstCheckDelayMs));
    }
    QCOMPARE(server_->requests.size(), 1);
}

void TestUpdaterManager::stateLivesApartFromThePreferences()
{
    qputenv("XDG_STATE_HOME", dir_->path().toLocal8Bit());
    const UpdaterConfig built = UpdaterManager::buildConfig();
    qunsetenv("XDG_STATE_HOME");
    QCOMPARE(built.stateFile, dir_->filePath(QStringLiteral("vellumbox/updater.ini")));
    const QSettings preferences(QStringLiteral("Vellumbox"), QStringLiteral("Vellumbox"));
    QVERIFY(built.stateFile != preferences.fileName());
    QVERIFY(!built.downloadDirectory.isEmpty());
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    TestUpdaterManager test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_updatermanager.moc"
