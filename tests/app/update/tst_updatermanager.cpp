// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoopbackHttpServer.h"
#include "TestKeyPair.h"
#include "app/update/CheckTimer.h"
#include "app/update/PackageOpener.h"
#include "app/update/QtUpdateUserDriver.h"
#include "app/update/UpdaterManager.h"
#include "app/update/UpdaterState.h"
#include "platform/fakes/FakePlatform.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <memory>
#include <optional>

using namespace vellumbox;
using Outcome = UpdaterManager::CheckOutcome;
using Behaviour = LoopbackHttpServer::Behaviour;

namespace {

constexpr qint64 minute = qint64(60) * 1000;
constexpr qint64 hour = 60 * minute;
const QString feedPath = QStringLiteral("/appcast.xml");
const QString packagePath = QStringLiteral("/Vellumbox-1.1.deb");

// How the feed's server misbehaves; None serves the row's document.
enum class Fault { None, NotFound, Silent, Endless, Trickle, RedirectToHttp, NoServer };
enum class Disk { Roomy, Full, Unwritable };

struct Release {
    QString version;
    QByteArray package;
    QByteArray signature; // empty for none
    qint64 announcedLength = -1;
};

// A feed whose packages are at base + /Vellumbox-VERSION.deb.
QByteArray feed(const QList<Release>& releases, const QString& base)
{
    QByteArray items;
    for (const Release& release : releases) {
        const QByteArray version = release.version.toUtf8();
        const qint64 length =
            release.announcedLength >= 0 ? release.announcedLength : release.package.size();
        items += "<item><vb:version>" + version + "</vb:version><enclosure url=\"" + base.toUtf8() +
                 "/Vellumbox-" + version + ".deb\" length=\"" + QByteArray::number(length) + '"';
        if (!release.signature.isEmpty())
            items += " vb:edSignature=\"" + release.signature.toBase64() + '"';
        items += "/></item>";
    }
    return R"(<rss version="2.0" xmlns:vb="https://vellumbox.org/xml-namespaces/appcast"><channel>)" +
           items + "</channel></rss>";
}

// The windows and the desktop's opener: records what the user would see, in order, and
// lets the test answer.
class FakeDesktop final : public UpdateUserDriver, public PackageOpener {
public:
    QStringList events;
    QString lastError;
    std::function<void(UpdateChoice)> pendingReply;
    std::function<void()> pendingCancel;
    bool opens = true;

    void showNoFeed() override { events.append(QStringLiteral("noFeed")); }
    void showUpToDate(const QString& current, const QString& skipped) override
    {
        events.append(QStringLiteral("upToDate %1 %2").arg(current, skipped).trimmed());
    }
    void showUpdateFound(const AppcastItem& update, const QString& current,
                         std::function<void(UpdateChoice)> reply) override
    {
        events.append(QStringLiteral("offer %1 over %2").arg(update.displayVersion(), current));
        pendingReply = std::move(reply);
    }
    void showDownloadStarted(const QString& version, std::function<void()> cancel) override
    {
        events.append(QStringLiteral("download ") + version);
        pendingCancel = std::move(cancel);
    }
    void showDownloadProgress(qint64, qint64) override {}
    void dismissDownload() override { pendingCancel = nullptr; }
    void showUpdateError(const QString& reason) override
    {
        lastError = reason;
        events.append(QStringLiteral("error"));
    }
    void bringToFront() override { events.append(QStringLiteral("front")); }
    void closeAll() override {}
    bool open(const QString& path) override
    {
        events.append(QStringLiteral("open ") + QFileInfo(path).fileName());
        return opens;
    }
    void choose(UpdateChoice choice)
    {
        if (auto reply = std::exchange(pendingReply, nullptr))
            reply(choice);
    }
};

class FakeTimer final : public CheckTimer {
public:
    std::optional<qint64> pendingDelayMs;
    void start(qint64 delayMs, std::function<void()> fire) override
    {
        pendingDelayMs = delayMs;
        pending_ = std::move(fire);
    }
    void stop() override
    {
        pendingDelayMs.reset();
        pending_ = nullptr;
    }
    void fire()
    {
        auto pending = std::exchange(pending_, nullptr);
        pendingDelayMs.reset();
        if (pending)
            pending();
    }

private:
    std::function<void()> pending_;
};

QPushButton* button(QWidget* window, const QString& text)
{
    for (QPushButton* candidate : window->findChildren<QPushButton*>()) {
        if (candidate->text() == text)
            return candidate;
    }
    return nullptr;
}

} // namespace

// The updater against a feed and packages served on 127.0.0.1, with the windows, the
// desktop and the timer faked; and the windows it shows.
class TestUpdaterManager : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void withoutAFeedNothingIsChecked_data();
    void withoutAFeedNothingIsChecked();
    void checksReportTheirOutcome_data();
    void checksReportTheirOutcome();
    void installsOnlyAVerifiedPackage_data();
    void installsOnlyAVerifiedPackage();
    void anUpdateOnScreenAnswersTheNextChecks();
    void askingDuringADailyCheckGetsItsAnswer();
    void skippedVersionIsNeverOfferedAgain();
    void checksOnceADay_data();
    void checksOnceADay();
    void updateWindowAnswersOnce_data();
    void updateWindowAnswersOnce();
    void closingEverythingAnswersNothing();
    void progressCancelsOnlyWhenTheUserSaysSo();
    void messagesSayWhatHappened();

private:
    UpdaterConfig config() const
    {
        UpdaterConfig config;
        config.feedUrl = server_->url(feedPath);
        config.publicKey = keys_.publicKey;
        config.currentVersion = QStringLiteral("1.0");
        config.stateFile = dir_->filePath(QStringLiteral("state/updater.ini"));
        config.downloadDirectory = dir_->filePath(QStringLiteral("downloads"));
        // Short, so that the faults that wait for them end soon.
        config.feedLimits.stallTimeoutMs = 500;
        config.feedLimits.totalTimeoutMs = 1500;
        config.downloadStallTimeoutMs = 500;
        config.availableBytes = [](const QString&) { return qint64(1) << 40; };
        return config;
    }
    std::unique_ptr<UpdaterManager> makeManager(UpdaterConfig config)
    {
        return std::make_unique<UpdaterManager>(std::move(config), desktop_, desktop_, clock_,
                                                timer_);
    }
    std::unique_ptr<UpdaterManager> makeManager() { return makeManager(config()); }
    void serve(const QList<Release>& releases)
    {
        server_->answer(feedPath, feed(releases, server_->url({}).toString()));
        for (const Release& release : releases)
            server_->answer(QStringLiteral("/Vellumbox-%1.deb").arg(release.version),
                            release.package);
    }
    // Empty when the check never ends: waiting is not an answer.
    std::optional<Outcome> check(UpdaterManager& manager, bool asked)
    {
        QSignalSpy finished(&manager, &UpdaterManager::checkFinished);
        if (asked)
            manager.checkForUpdates();
        else
            fireWhenDue(manager);
        if (finished.isEmpty() && !finished.wait(10'000))
            return std::nullopt;
        return finished.first().first().value<Outcome>();
    }
    // The daily check's time has come by the wall clock, and the timer fires.
    void fireWhenDue(const UpdaterManager& manager)
    {
        clock_.dateTime = manager.nextCheckDue();
        timer_.fire();
    }
    std::optional<bool> install(UpdaterManager& manager)
    {
        QSignalSpy finished(&manager, &UpdaterManager::installFinished);
        desktop_.choose(UpdateChoice::Install);
        if (finished.isEmpty() && !finished.wait(10'000))
            return std::nullopt;
        return finished.first().first().toBool();
    }
    QStringList downloads() const
    {
        return QDir(dir_->filePath(QStringLiteral("downloads"))).entryList(QDir::Files);
    }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<LoopbackHttpServer> server_;
    TestKeyPair keys_;
    FakeDesktop desktop_;
    fakes::FakeClock clock_;
    FakeTimer timer_;
};

void TestUpdaterManager::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    server_ = std::make_unique<LoopbackHttpServer>();
    desktop_ = {};
    timer_.stop();
    clock_.dateTime = QDateTime(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);
}

void TestUpdaterManager::withoutAFeedNothingIsChecked_data()
{
    QTest::addColumn<QString>("feed");
    QTest::addColumn<bool>("withKey");
    QTest::newRow("no feed") << QString() << true;
    QTest::newRow("feed but no key") << feedPath << false;
    QTest::newRow("plain HTTP feed") << "http://updates.example.org/a.xml" << true;
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
    QCOMPARE(desktop_.events, QStringList{QStringLiteral("noFeed")});
    QVERIFY(server_->requests.isEmpty());
}

void TestUpdaterManager::checksReportTheirOutcome_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("shown"); // to the user who asked
    QTest::addColumn<QString>("error");
    // Asked for, and found by the daily check, which shows only an update.
    const auto add = [](const char* name, Fault fault, const QByteArray& document, Outcome outcome,
                        const char* shown, const char* error = "") {
        for (const bool asked : {true, false})
            QTest::addRow("%s, %s", name, asked ? "asked" : "daily")
                << fault << document << asked << outcome << QString::fromUtf8(shown)
                << QString::fromUtf8(error);
    };
    const QString https = QStringLiteral("https://example.org");
    const auto release = [this](const char* version) {
        return Release{QString::fromLatin1(version), version, keys_.sign(version)};
    };
    add("older and same", Fault::None, feed({release("0.9"), release("1.0")}, https),
        Outcome::UpToDate, "upToDate 1.0");
    add("newer, by number", Fault::None,
        feed({release("1.9"), release("1.10"), release("1.2")}, https), Outcome::UpdateOffered,
        "offer 1.10 over 1.0");
    add("unsigned", Fault::None, feed({{QStringLiteral("1.1"), "a", {}}}, https), Outcome::Failed,
        "error", "without a signature");
    add("package over plain HTTP", Fault::None, feed({release("1.1")}, "http://example.org"),
        Outcome::Failed, "error", "insecure address");
    add("garbage", Fault::None, "<html><body>Welcome to nginx!</body></html>", Outcome::Failed,
        "error", "could not be read");
    add("not found", Fault::NotFound, {}, Outcome::Failed, "error", "could not be loaded");
    add("never answers", Fault::Silent, {}, Outcome::Failed, "error", "too long");
    add("endless", Fault::Endless, {}, Outcome::Failed, "error", "more data than expected");
    add("trickle", Fault::Trickle, {}, Outcome::Failed, "error", "too long");
    add("redirect to HTTP", Fault::RedirectToHttp, {}, Outcome::Failed, "error",
        "not a secure address");
    add("no server", Fault::NoServer, {}, Outcome::Failed, "error", "could not be loaded");
}

void TestUpdaterManager::checksReportTheirOutcome()
{
    QFETCH(Fault, fault);
    QFETCH(QByteArray, document);
    QFETCH(bool, asked);
    QFETCH(Outcome, outcome);
    QFETCH(QString, shown);
    QFETCH(QString, error);
    UpdaterConfig settings = config();
    QTcpServer closed;
    if (fault == Fault::None)
        server_->answer(feedPath, document);
    if (fault == Fault::Silent || fault == Fault::Endless || fault == Fault::Trickle)
        server_->misbehave(feedPath, fault == Fault::Silent    ? Behaviour::Silent
                                     : fault == Fault::Endless ? Behaviour::Endless
                                                               : Behaviour::Trickle);
    if (fault == Fault::Trickle)
        settings.feedLimits.stallTimeoutMs = 10'000; // so that only the whole time runs out
    if (fault == Fault::RedirectToHttp)
        server_->redirect(feedPath, QUrl(QStringLiteral("http://updates.example.org/a.xml")));
    if (fault == Fault::NoServer) {
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        settings.feedUrl = QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort()));
        closed.close();
    }
    auto manager = makeManager(settings);
    manager->start();
    QCOMPARE(check(*manager, asked), outcome);
    // Unasked, only an update speaks up, and it comes to the front.
    const QStringList unasked = outcome == Outcome::UpdateOffered
                                    ? QStringList{QStringLiteral("front"), shown}
                                    : QStringList();
    QCOMPARE(desktop_.events, asked ? QStringList{shown} : unasked);
    QVERIFY2(desktop_.lastError.contains(asked ? error : QString()),
             qPrintable(desktop_.lastError));
    // Counted even when it failed, so that the next one is a day later, not at once.
    QCOMPARE(UpdaterState(settings.stateFile).lastCheckTime(), clock_.dateTime);
    QCOMPARE(manager->nextCheckDue(), clock_.dateTime.addMSecs(24 * hour));
}

void TestUpdaterManager::installsOnlyAVerifiedPackage_data()
{
    QTest::addColumn<QByteArray>("served");
    QTest::addColumn<qint64>("announced");
    QTest::addColumn<QByteArray>("signature");
    QTest::addColumn<Disk>("disk");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("error"); // empty when it is opened
    const QByteArray package(300'000, 'p');
    const qint64 length = package.size();
    const QByteArray good = keys_.sign(package);
    QByteArray tampered = package;
    tampered[10] = 'q';
    QTest::newRow("verified") << package << length << good << Disk::Roomy << true << QString();
    QTest::newRow("verified, the desktop cannot open it")
        << package << length << good << Disk::Roomy << false << "could not be opened";
    QTest::newRow("tampered") << tampered << length << good << Disk::Roomy << true
                              << "improperly signed";
    QTest::newRow("someone else's key") << package << length << TestKeyPair().sign(package)
                                        << Disk::Roomy << true << "improperly signed";
    QTest::newRow("truncated") << package.left(60'000) << length << good << Disk::Roomy << true
                               << "announced size";
    QTest::newRow("longer than announced")
        << package << qint64(50'000) << good << Disk::Roomy << true << "more data than expected";
    QTest::newRow("no free space")
        << package << length << good << Disk::Full << true << "not enough free disk space";
    QTest::newRow("folder cannot be made")
        << package << length << good << Disk::Unwritable << true << "could not be created";
}

void TestUpdaterManager::installsOnlyAVerifiedPackage()
{
    QFETCH(QByteArray, served);
    QFETCH(qint64, announced);
    QFETCH(QByteArray, signature);
    QFETCH(Disk, disk);
    QFETCH(bool, opens);
    QFETCH(QString, error);
    serve({{QStringLiteral("1.1"), served, signature, announced}});
    UpdaterConfig settings = config();
    if (disk == Disk::Full)
        settings.availableBytes = [](const QString&) { return qint64(0); };
    QFile blocker(dir_->filePath(QStringLiteral("blocker")));
    if (disk == Disk::Unwritable) { // the folder would lie inside a file
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        settings.downloadDirectory = blocker.fileName() + QStringLiteral("/downloads");
    }
    desktop_.opens = opens;
    auto manager = makeManager(settings);
    QCOMPARE(check(*manager, true), Outcome::UpdateOffered);
    QCOMPARE(install(*manager), error.isEmpty());
    QCOMPARE(desktop_.lastError.isEmpty(), error.isEmpty());
    QVERIFY2(desktop_.lastError.contains(error), qPrintable(desktop_.lastError));
    QVERIFY(!desktop_.pendingCancel); // the progress window is gone
    QCOMPARE(server_->requests.contains(packagePath), disk == Disk::Roomy);
    // Only a verified package reaches the desktop, and stays, with the bytes that were signed.
    const bool verified = error.isEmpty() || !opens;
    QCOMPARE(desktop_.events.contains(QStringLiteral("open Vellumbox-1.1.deb")), verified);
    QCOMPARE(downloads(), verified ? QStringList{packagePath.mid(1)} : QStringList());
    QFile kept(dir_->filePath(QStringLiteral("downloads") + packagePath));
    QCOMPARE(kept.open(QIODevice::ReadOnly) ? kept.readAll() : QByteArray(),
             verified ? served : QByteArray());
}

void TestUpdaterManager::anUpdateOnScreenAnswersTheNextChecks()
{
    serve({{QStringLiteral("1.1"), "a", keys_.sign("a"), 100'000'000}});
    server_->misbehave(packagePath, Behaviour::Trickle);
    auto manager = makeManager();
    manager->start();
    QCOMPARE(check(*manager, false), Outcome::UpdateOffered);
    QCOMPARE(check(*manager, true), Outcome::UpdateOffered);
    // Nor does the daily check pile a second offer on it; it tries again tomorrow.
    fireWhenDue(*manager);
    QCOMPARE(manager->nextCheckDue(), clock_.dateTime.addMSecs(24 * hour));
    desktop_.choose(UpdateChoice::RemindLater);
    QCOMPARE(check(*manager, false), Outcome::UpdateOffered);
    QSignalSpy installed(manager.get(), &UpdaterManager::installFinished);
    desktop_.choose(UpdateChoice::Install);
    QTRY_VERIFY(!downloads().isEmpty()); // the partial file is being written
    QCOMPARE(check(*manager, true), Outcome::UpdateOffered);
    const QString offer = QStringLiteral("offer 1.1 over 1.0");
    const QString front = QStringLiteral("front");
    QCOMPARE(desktop_.events, (QStringList{front, offer, front, front, offer,
                                           QStringLiteral("download 1.1"), front}));
    QCOMPARE(server_->requests.count(feedPath), 2);
    // Cancelled: nothing is left, and nothing is reported as an error.
    desktop_.pendingCancel();
    QCOMPARE(installed.size(), 1);
    QCOMPARE(installed.first().first().toBool(), false);
    QCOMPARE(desktop_.events.last(), front);
    QCOMPARE(downloads(), QStringList());
}

void TestUpdaterManager::askingDuringADailyCheckGetsItsAnswer()
{
    server_->misbehave(feedPath, Behaviour::Silent);
    auto manager = makeManager();
    manager->start();
    fireWhenDue(*manager);
    QCOMPARE(check(*manager, true), Outcome::Failed);
    QCOMPARE(desktop_.events, QStringList{QStringLiteral("error")});
    QCOMPARE(server_->requests.size(), 1);
}

void TestUpdaterManager::skippedVersionIsNeverOfferedAgain()
{
    const Release release{QStringLiteral("1.1"), "a", keys_.sign("a")};
    serve({release});
    {
        auto manager = makeManager();
        QCOMPARE(check(*manager, true), Outcome::UpdateOffered);
        desktop_.choose(UpdateChoice::Skip);
    }
    // Remembered across runs, and said only when asked.
    desktop_.events.clear();
    auto manager = makeManager();
    manager->start();
    QCOMPARE(check(*manager, false), Outcome::SkippedVersion);
    QCOMPARE(check(*manager, true), Outcome::SkippedVersion);
    QCOMPARE(desktop_.events, QStringList{QStringLiteral("upToDate 1.0 1.1")});
    serve({release, {QStringLiteral("1.2"), "b", keys_.sign("b")}});
    QCOMPARE(check(*manager, true), Outcome::UpdateOffered);
    QCOMPARE(desktop_.events.last(), QStringLiteral("offer 1.2 over 1.0"));
}

void TestUpdaterManager::checksOnceADay_data()
{
    QTest::addColumn<std::optional<qint64>>("lastCheckAgoMs");
    QTest::addColumn<qint64>("delayMs");
    const qint64 atLaunch = 5 * minute;
    QTest::newRow("never checked") << std::optional<qint64>() << atLaunch;
    QTest::newRow("two hours ago") << std::optional(2 * hour) << 22 * hour;
    QTest::newRow("nearly a day ago") << std::optional(24 * hour - minute) << atLaunch;
    QTest::newRow("long overdue") << std::optional(72 * hour) << atLaunch;
    QTest::newRow("clock turned back") << std::optional(-72 * hour) << atLaunch;
}

void TestUpdaterManager::checksOnceADay()
{
    QFETCH(std::optional<qint64>, lastCheckAgoMs);
    QFETCH(qint64, delayMs);
    UpdaterConfig settings = config();
    settings.firstCheckDelayMs = 5 * minute;
    // Where the build keeps it: in the state folder, apart from the preferences.
    qputenv("XDG_STATE_HOME", dir_->path().toLocal8Bit());
    settings.stateFile = UpdaterManager::buildConfig().stateFile;
    qunsetenv("XDG_STATE_HOME");
    QCOMPARE(settings.stateFile, dir_->filePath(QStringLiteral("vellumbox/updater.ini")));
    if (lastCheckAgoMs)
        UpdaterState(settings.stateFile)
            .setLastCheckTime(clock_.dateTime.addMSecs(-*lastCheckAgoMs));
    auto manager = makeManager(settings);
    manager->start();
    QCOMPARE(manager->nextCheckDue(), clock_.dateTime.addMSecs(delayMs));
    // The timer only looks at the wall clock now and then: a machine that slept through the
    // due time checks within minutes of waking, not a day of running later.
    QVERIFY(timer_.pendingDelayMs && *timer_.pendingDelayMs <= settings.recheckMs);
    timer_.fire(); // before the wall clock says so: no check, only another look later
    QTest::qWait(100);
    QVERIFY(server_->requests.isEmpty());
    QVERIFY(timer_.pendingDelayMs);
    clock_.dateTime = clock_.dateTime.addMSecs(delayMs); // asleep: no timer ran meanwhile
    timer_.fire();
    QTRY_VERIFY(!server_->requests.isEmpty());
}

void TestUpdaterManager::updateWindowAnswersOnce_data()
{
    QTest::addColumn<QString>("press"); // empty: close the window
    QTest::addColumn<UpdateChoice>("expected");
    QTest::addColumn<QString>("notesLink"); // offered only over HTTPS
    QTest::newRow("install") << "Install Update" << UpdateChoice::Install << "https://a.org/n";
    QTest::newRow("later") << "Remind Me Later" << UpdateChoice::RemindLater << QString();
    QTest::newRow("skip") << "Skip This Version" << UpdateChoice::Skip << "http://a.org/n";
    QTest::newRow("closed") << QString() << UpdateChoice::RemindLater << "file:///etc/passwd";
}

void TestUpdaterManager::updateWindowAnswersOnce()
{
    QFETCH(QString, press);
    QFETCH(UpdateChoice, expected);
    QFETCH(QString, notesLink);
    AppcastItem update;
    update.version = QStringLiteral("120");
    update.shortVersionString = QStringLiteral("1.2");
    update.description = QStringLiteral("<ul><li>Sharper arrows</li></ul>");
    update.releaseNotesLink = QUrl(notesLink);
    QtUpdateUserDriver driver;
    QList<UpdateChoice> answers;
    driver.showUpdateFound(update, QStringLiteral("1.0"),
                           [&answers](UpdateChoice choice) { answers.append(choice); });
    const QPointer<QWidget> window = driver.currentWindow();
    QVERIFY(window && window->isVisible());
    QStringList labels;
    for (const QLabel* label : window->findChildren<QLabel*>())
        labels.append(label->text());
    QVERIFY(labels.contains(QStringLiteral("Vellumbox 1.2 is now available—you have 1.0. Would you "
                                           "like to download it now?")));
    QCOMPARE(labels.filter(QStringLiteral("release notes")).size(),
             notesLink.startsWith(QLatin1String("https:")) ? 1 : 0);
    QCOMPARE(window->findChild<QTextBrowser*>()->toPlainText().trimmed(),
             QStringLiteral("Sharper arrows"));
    QVERIFY(button(window, QStringLiteral("Install Update"))->isDefault());
    if (press.isEmpty())
        window->close();
    else
        button(window, press)->click();
    QCOMPARE(answers, QList<UpdateChoice>{expected});
    QTRY_VERIFY(!window);
}

void TestUpdaterManager::closingEverythingAnswersNothing()
{
    QtUpdateUserDriver driver;
    int calls = 0;
    driver.showUpdateFound({}, QStringLiteral("1.0"), [&calls](UpdateChoice) { ++calls; });
    driver.showDownloadStarted(QStringLiteral("1.2"), [&calls] { ++calls; });
    driver.showUpdateError(QStringLiteral("Oops."));
    driver.closeAll();
    QVERIFY(!driver.currentWindow());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(calls, 0);
}

void TestUpdaterManager::progressCancelsOnlyWhenTheUserSaysSo()
{
    QtUpdateUserDriver driver;
    int cancels = 0;
    driver.showDownloadStarted(QStringLiteral("1.2"), [&cancels] { ++cancels; });
    auto* progress = qobject_cast<QProgressDialog*>(driver.currentWindow());
    QVERIFY(progress);
    driver.showDownloadProgress(3'000'000'000, 6'000'000'000); // beyond int
    QCOMPARE(progress->value(), 50);
    driver.showDownloadProgress(10, 0); // no total known: nothing to divide by
    QCOMPARE(progress->value(), 50);
    button(progress, QStringLiteral("Cancel"))->click();
    QCOMPARE(cancels, 1);
    // Finished downloads close the window without it counting as a cancel.
    driver.showDownloadStarted(QStringLiteral("1.2"), [&cancels] { ++cancels; });
    driver.dismissDownload();
    QVERIFY(!driver.currentWindow());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(cancels, 1);
}

void TestUpdaterManager::messagesSayWhatHappened()
{
    QtUpdateUserDriver driver;
    const auto shown = [&driver] {
        auto* box = qobject_cast<QMessageBox*>(driver.currentWindow());
        return box ? QStringList{box->text(), box->informativeText()} : QStringList();
    };
    driver.showUpToDate(QStringLiteral("1.0"), {});
    QCOMPARE(shown().value(1), QStringLiteral("Vellumbox 1.0 is currently the newest version "
                                              "available."));
    driver.showUpToDate(QStringLiteral("1.0"), QStringLiteral("1.2"));
    QCOMPARE(shown().value(1), QStringLiteral("You chose to skip Vellumbox 1.2, the newest "
                                              "version available. You have 1.0."));
    driver.showUpdateError(QStringLiteral("The server took too long to answer."));
    QCOMPARE(shown(), (QStringList{QStringLiteral("Update Error!"),
                                   QStringLiteral("The server took too long to answer.")}));
}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    TestUpdaterManager test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_updatermanager.moc"
