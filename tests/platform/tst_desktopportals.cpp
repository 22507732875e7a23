// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's services against stand-ins on a private session bus (dbus-run-session): the
// portal's screenshots and global shortcuts, its permission store and KWin's screenshots.
#include "platform/HotkeyChoice.h"
#include "platform/KWinScreenShot.h"
#include "platform/PortalGlobalHotkey.h"
#include "platform/PortalPermission.h"
#include "platform/PortalScreenshot.h"
#include "platform/fakes/FakePlatform.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QtConcurrentRun>

#include <unistd.h>

using namespace vellumbox;
using namespace Qt::StringLiterals;

namespace {

// The desktop's services in one stand-in, answering calls as it is told: the portal's
// screenshots (a file, a refusal, or never) and global shortcuts (bound or refused), the
// portal's permission store (one screenshot entry or none) and KWin's screenshots (raw pixels
// through the caller's pipe, or a refusal).
class FakeDesktop : public QDBusVirtualObject {
public:
    std::optional<uint> answer = 0;
    QString uri; // empty: none given
    int screenshots = 0;
    QString storedApp, stored; // stored empty: no entry
    bool kwinRefuses = false;
    QRect kwinAsked;
    QFuture<void> writing;
    bool shortcutRefused = false;
    QString trigger, session;

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& call, const QDBusConnection& bus) override
    {
        const QVariantList in = call.arguments();
        const QString member = call.member();
        const auto reply = [&](const QVariantList& out) { return bus.send(call.createReply(out)); };
        const auto refuse = [&](const char* error) {
            return bus.send(call.createErrorReply(QLatin1String(error), member));
        };
        if (member == u"Get"_s) // a version: the interface is offered
            return reply({QVariant::fromValue(QDBusVariant(1U))});
        if (member == u"Lookup"_s)
            return stored.isEmpty() ? refuse("org.freedesktop.portal.Error.NotFound")
                                    : reply({QVariant::fromValue(
                                                 QMap<QString, QStringList>{{storedApp, {stored}}}),
                                             QVariant::fromValue(QDBusVariant(QByteArray()))});
        if (member == u"CaptureArea"_s) {
            const QVariantMap results = kwinCapture(in); // empty: refused
            return results.isEmpty() ? refuse("org.kde.KWin.ScreenShot2.Error.NoAuthorized")
                                     : reply({results});
        }
        const QVariantMap options = qdbus_cast<QVariantMap>(in.last());
        // The portal's request path, from the caller's unique name and token.
        const QString request = u"/org/freedesktop/portal/desktop/request/%1/%2"_s.arg(
            call.service().mid(1).replace(QLatin1Char('.'), QLatin1Char('_')),
            options.value(u"handle_token"_s).toString());
        if (member == u"Screenshot"_s) {
            ++screenshots;
            if (answer)
                respond(request, *answer,
                        uri.isEmpty() ? QVariantMap() : QVariantMap{{u"uri"_s, uri}});
        } else if (member == u"CreateSession"_s) {
            session = u"/org/freedesktop/portal/desktop/session/1_1/"_s +
                      options.value(u"session_handle_token"_s).toString();
            respond(request, 0, {{u"session_handle"_s, session}});
        } else if (member == u"BindShortcuts"_s) {
            // a(sa{sv}): each shortcut's id and properties.
            using Shortcuts = QList<std::pair<QString, QVariantMap>>;
            for (const auto& [id, properties] : qdbus_cast<Shortcuts>(in.at(1)))
                trigger = properties.value(u"preferred_trigger"_s).toString();
            respond(request, shortcutRefused ? 1 : 0, {});
        } else {
            return false;
        }
        return reply({QVariant::fromValue(QDBusObjectPath(request))});
    }

    void press(const QString& id)
    {
        QDBusMessage activated =
            QDBusMessage::createSignal(u"/org/freedesktop/portal/desktop"_s,
                                       u"org.freedesktop.portal.GlobalShortcuts"_s, u"Activated"_s);
        activated << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong{1}
                  << QVariantMap();
        QDBusConnection::sessionBus().send(activated);
    }

private:
    // The request's Response, after the call's reply as a real portal sends it.
    static void respond(const QString& request, uint code, const QVariantMap& results)
    {
        QDBusMessage response =
            QDBusMessage::createSignal(request, u"org.freedesktop.portal.Request"_s, u"Response"_s);
        response << code << results;
        QTimer::singleShot(20, [response] { QDBusConnection::sessionBus().send(response); });
    }

    // At twice the density, each pixel's colour telling where it is, written after the answer
    // from a thread, as KWin does.
    QVariantMap kwinCapture(const QVariantList& in)
    {
        kwinAsked = QRect(in.at(0).toInt(), in.at(1).toInt(), in.at(2).toInt(), in.at(3).toInt());
        if (kwinRefuses || qdbus_cast<QVariantMap>(in.at(4)).value(u"include-cursor"_s).toBool())
            return {};
        const QImage image =
            testing::positionPicture(kwinAsked.size() * 2).convertToFormat(QImage::Format_ARGB32);
        const int fd = ::dup(in.at(5).value<QDBusUnixFileDescriptor>().fileDescriptor());
        writing = QtConcurrent::run([fd, image] {
            QFile pipe;
            if (pipe.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle))
                pipe.write(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
        });
        return {{u"type"_s, u"raw"_s},
                {u"width"_s, static_cast<uint>(image.width())},
                {u"height"_s, static_cast<uint>(image.height())},
                {u"stride"_s, static_cast<uint>(image.bytesPerLine())},
                {u"format"_s, static_cast<uint>(image.format())}};
    }
};

} // namespace

class TestDesktopPortals : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY2(bus.isConnected(), "run inside dbus-run-session");
        QVERIFY(!PortalDisplayCapture::available());
        QVERIFY(!PortalGlobalHotkey::available());
        qDBusRegisterMetaType<QMap<QString, QStringList>>();
        for (const char* path :
             {"/org/freedesktop/portal/desktop", "/org/freedesktop/impl/portal/PermissionStore"})
            QVERIFY(bus.registerVirtualObject(QLatin1String(path), &desktop_));
        QVERIFY(bus.registerService(u"org.freedesktop.portal.Desktop"_s));
        QVERIFY(bus.registerService(u"org.freedesktop.impl.portal.PermissionStore"_s));
        QVERIFY(PortalDisplayCapture::available());
    }

    void theScreenIsCutFromTheAnswerOrItsFailureTold_data()
    {
        testing::columns<uint, QString, QByteArray, bool, QString>(
            {"answer", "uri" /* empty: the file's */, "file", "refused",
             "reason" /* empty: read */});
        // The layout at scale 2: the right screen is the picture's right part, in blue.
        QImage picture = testing::filledPicture({600, 200}, Qt::red);
        QPainter(&picture).fillRect(400, 0, 200, 100, Qt::blue);
        QTest::newRow("read") << 0U << "" << png(picture) << false << "";
        QTest::newRow("cancelled") << 1U << "" << QByteArray() << true << "did not allow";
        QTest::newRow("refused") << 2U << "" << QByteArray() << true << "did not allow";
        QTest::newRow("unknown answer") << 7U << "" << QByteArray() << false << "(answer 7)";
        QTest::newRow("no file named")
            << 0U << "none" << QByteArray() << false << "no picture file";
        QTest::newRow("remote file")
            << 0U << "https://example.org/a.png" << QByteArray() << false << "no picture file";
        QTest::newRow("not a picture")
            << 0U << "" << QByteArray("GIF89a?") << false << "could not be read";
        QTest::newRow("not the layout")
            << 0U << "" << png(QImage(300, 300, QImage::Format_RGB32)) << false << "does not match";
    }

    void theScreenIsCutFromTheAnswerOrItsFailureTold()
    {
        const auto [answer, uri, file, refused, reason] =
            testing::fetch<uint, QString, QByteArray, bool, QString>(
                {"answer", "uri", "file", "refused", "reason"});
        answerWithFile(answer, file);
        if (!uri.isEmpty())
            desktop_.uri = uri == u"none"_s ? QString() : uri;
        const DisplayImage shot = capture_.captureDisplay({u"R"_s, layout_.at(1), 1.0, {}});
        QVERIFY2(shot.ok() == reason.isEmpty() && shot.error.contains(reason),
                 qPrintable(shot.error));
        QCOMPARE(shot.refused, refused);
        // The file is removed once read, and only then: it was made for that request.
        QCOMPARE(QFile::exists(dir_.filePath(u"a shot.png"_s)), answer != 0 || !uri.isEmpty());
        if (!shot.ok())
            return;
        QCOMPARE(shot.scale, 2.0);
        QImage blue = testing::filledPicture({200, 100}, Qt::blue);
        blue.setDevicePixelRatio(2.0);
        QCOMPARE(shot.image.convertToFormat(QImage::Format_RGB32), blue);
    }

    void aPortalThatNeverAnswersTimesOut()
    {
        desktop_.answer.reset();
        const int before = desktop_.screenshots;
        const DisplayImage shot = capture_.captureLayout(300);
        QCOMPARE(desktop_.screenshots, before + 1);
        QVERIFY2(!shot.ok() && !shot.refused && shot.error.contains(u"did not answer"_s),
                 qPrintable(shot.error));
        // The next request is served again.
        desktop_.answer = 1;
        QVERIFY(capture_.captureLayout(2000).refused);
    }

    void accessFollowsTheStoreAndAsksOnlyWhenUnanswered_data()
    {
        // stored "": no entry; "app=answer": another app's. userAnswer: the portal's, when asked.
        testing::columns<QString, bool, uint, bool, bool, int>(
            {"stored", "desktopAsks", "userAnswer", "preflight", "granted", "portalCalls"});
        QTest::newRow("gnome, allowed before") << "yes" << true << 2U << true << true << 0;
        QTest::newRow("gnome, refused before") << "no" << true << 0U << false << false << 0;
        QTest::newRow("gnome, asked: allows") << "" << true << 0U << false << true << 1;
        QTest::newRow("gnome, asked: refuses") << "" << true << 2U << false << false << 1;
        QTest::newRow("gnome, unknown word") << "ask" << true << 0U << false << true << 1;
        QTest::newRow("gnome, another app allowed")
            << "org.example.App=yes" << true << 2U << false << false << 1;
        QTest::newRow("kde asks nobody") << "" << false << 2U << true << true << 0;
        QTest::newRow("kde, refused in the store") << "no" << false << 0U << false << false << 0;
    }

    void accessFollowsTheStoreAndAsksOnlyWhenUnanswered()
    {
        const auto [stored, desktopAsks, userAnswer, preflight, granted, portalCalls] =
            testing::fetch<QString, bool, uint, bool, bool, int>(
                {"stored", "desktopAsks", "userAnswer", "preflight", "granted", "portalCalls"});
        desktop_.storedApp = stored.section(QLatin1Char('='), 0, -2);
        desktop_.stored = stored.section(QLatin1Char('='), -1);
        answerWithFile(userAnswer, png(QImage(300, 100, QImage::Format_RGB32)));
        PortalPermission permission(capture_, desktopAsks);
        const testing::LogCapture log;
        const int before = desktop_.screenshots;
        QCOMPARE(permission.preflight(), preflight);
        QCOMPARE(permission.request(), granted);
        QCOMPARE(desktop_.screenshots - before, portalCalls);
        // A refusal is an answer, not a failure.
        QVERIFY(log.lines().filter(u"failed"_s).isEmpty());
    }

    void kwinGivesTheScreenAtItsDensityOrLeavesItToTheFallback()
    {
        QVERIFY(!KWinScreenShotCapture::available());
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY(bus.registerVirtualObject(u"/org/kde/KWin/ScreenShot2"_s, &desktop_));
        QVERIFY(bus.registerService(u"org.kde.KWin"_s));
        QVERIFY(KWinScreenShotCapture::available());

        auto fallback = std::make_unique<fakes::FakeDisplayCapture>();
        fakes::FakeDisplayCapture& portal = *fallback;
        KWinScreenShotCapture capture(std::move(fallback));
        const ScreenInfo right{u"R"_s, {1920, 0, 640, 360}, 1.0, {1920, 0, 640, 360}};
        const DisplayImage shot = capture.captureDisplay(right);
        QVERIFY2(shot.ok(), qPrintable(shot.error));
        QCOMPARE(desktop_.kwinAsked, right.geometry);
        QCOMPARE(shot.image.size(), QSize(1280, 720));
        QCOMPARE(shot.scale, 2.0);
        QCOMPARE(shot.image.pixel(300, 200), testing::positionPicture({301, 201}).pixel(300, 200));
        QVERIFY(portal.requests.isEmpty());

        // Refused (the desktop entry does not list the interface): the fallback from then on.
        desktop_.kwinRefuses = true;
        QVERIFY(capture.captureDisplay(right).ok());
        QCOMPARE(portal.requests.size(), 1);
        desktop_.kwinRefuses = false;
        QVERIFY(capture.captureDisplay(right).ok());
        QCOMPARE(portal.requests.size(), 2);
    }

    // Bound through the desktop's shortcut service; refused there, the X11 grab takes over.
    void theHotKeyComesFromTheDesktopsShortcutService()
    {
        QVERIFY(PortalGlobalHotkey::available());
        PortalGlobalHotkey hotkey;
        int pressed = 0;
        QVERIFY2(hotkey.registerHotkey('9', [&pressed] { ++pressed; }),
                 qPrintable(hotkey.lastError()));
        QCOMPARE(desktop_.trigger, u"CTRL+SHIFT+9"_s);
        // A fixed token: the desktop finds the same session, and its binding, next time.
        QVERIFY(desktop_.session.endsWith(u"/vellumbox"_s));
        desktop_.press(u"something-else"_s);
        desktop_.press(QLatin1String(PortalGlobalHotkey::shortcutId));
        QTRY_COMPARE(pressed, 1);
        desktop_.press(QLatin1String(PortalGlobalHotkey::shortcutId));
        QTRY_COMPARE(pressed, 2);
        hotkey.unregisterHotkey();
        desktop_.press(QLatin1String(PortalGlobalHotkey::shortcutId));
        QTest::qWait(100);
        QCOMPARE(pressed, 2);

        desktop_.shortcutRefused = true;
        auto grab = std::make_unique<fakes::FakeGlobalHotkey>();
        fakes::FakeGlobalHotkey& x11 = *grab;
        HotkeyWithFallback fallback(std::make_unique<PortalGlobalHotkey>(), std::move(grab));
        QVERIFY(fallback.registerHotkey('9', [&pressed] { ++pressed; }));
        QCOMPARE(x11.registeredKey, '9');
        x11.press();
        QCOMPARE(pressed, 3);
        QVERIFY(fallback.lastError().contains(u"refused"_s));
        // Nothing takes it: the registration fails, with a reason.
        x11.refuse = true;
        QVERIFY(!fallback.registerHotkey('9', [] {}));
    }

private:
    // The portal's answer with a file holding content, at a path that needs escaping.
    void answerWithFile(uint answer, const QByteArray& content)
    {
        QFile file(dir_.filePath(u"a shot.png"_s));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        desktop_.answer = answer;
        desktop_.uri = QUrl::fromLocalFile(file.fileName()).toString();
    }
    static QByteArray png(const QImage& image)
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        image.save(&buffer, "PNG");
        return bytes;
    }

    FakeDesktop desktop_;
    QTemporaryDir dir_;
    const QList<QRect> layout_{{0, 0, 200, 100}, {200, 0, 100, 50}};
    PortalDisplayCapture capture_{[this] { return layout_; }};
};

QTEST_GUILESS_MAIN(TestDesktopPortals)
#include "tst_desktopportals.moc"
