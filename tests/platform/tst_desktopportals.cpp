// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's services against stand-ins on a private session bus (dbus-run-session): the
// portal's screenshots and global shortcuts, its permission store and KWin's screenshots.
#include "platform/HotkeyChoice.h"
#include "platform/KWinScreenShot.h"
#include "platform/PortalGlobalHotkey.h"
#include "platform/PortalPermission.h"
#include "platform/PortalScreenshot.h"
#include "platform/fakes/FakePlatform.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QtConcurrentRun>

#include <unistd.h>

using namespace vellumbox;

// One shortcut as the portal receives it: a(sa{sv}). Outside any unnamed namespace, so that
// the slot's type name and the registered one agree.
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(PortalShortcut)

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

namespace {

// Answers Screenshot as it is told: with a file, a refusal, or never.
class FakePortal : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")
    Q_PROPERTY(uint version READ version)
public:
    std::optional<uint> answer = 0;
    QString fileName;
    int calls = 0;
    uint version() const { return 2; }

public Q_SLOTS:
    QDBusObjectPath Screenshot(const QString& /*parent*/, const QVariantMap& options)
    {
        ++calls;
        const QString path = portalRequestPath(
            message().service(), options.value(QStringLiteral("handle_token")).toString());
        if (answer) {
            QDBusMessage response = QDBusMessage::createSignal(
                path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
            const QVariantMap results{
                {QStringLiteral("uri"), QUrl::fromLocalFile(fileName).toString()}};
            response << *answer << results;
            // After the reply, as a real portal does.
            QTimer::singleShot(20, this,
                               [response] { QDBusConnection::sessionBus().send(response); });
        }
        return QDBusObjectPath(path);
    }
};

// The portal's permission store, with one screenshot entry or none.
class FakePermissionStore : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.impl.portal.PermissionStore")
public:
    QStringList unsandboxed; // empty: no entry

public Q_SLOTS:
    QMap<QString, QStringList> Lookup(const QString& table, const QString& id, QDBusVariant& data)
    {
        if (table != QStringLiteral("screenshot") || id != QStringLiteral("screenshot") ||
            unsandboxed.isEmpty()) {
            sendErrorReply(QStringLiteral("org.freedesktop.portal.Error.NotFound"), table);
            return {};
        }
        data = QDBusVariant(QVariant(QByteArray()));
        return {{QString(), unsandboxed}};
    }
};

// KWin's screenshot interface: raw pixels through the caller's pipe, or a refusal.
class FakeKWin : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.KWin.ScreenShot2")
    Q_PROPERTY(uint Version READ version)
public:
    bool refuse = false;
    QRect asked;
    QFuture<void> writing;
    uint version() const { return 4; }

public Q_SLOTS:
    QVariantMap CaptureArea(int x, int y, uint width, uint height, const QVariantMap& options,
                            const QDBusUnixFileDescriptor& pipe)
    {
        asked = QRect(x, y, static_cast<int>(width), static_cast<int>(height));
        if (refuse || options.value(QStringLiteral("include-cursor")).toBool()) {
            sendErrorReply(QStringLiteral("org.kde.KWin.ScreenShot2.Error.NoAuthorized"),
                           QStringLiteral("not in the desktop entry"));
            return {};
        }
        // At twice the density, each pixel's colour telling where it is.
        QImage image(asked.size() * 2, QImage::Format_ARGB32);
        for (int row = 0; row < image.height(); ++row)
            for (int column = 0; column < image.width(); ++column)
                image.setPixel(column, row, qRgb(column & 0xff, row & 0xff, 7));
        // Written after the answer, from a thread, as KWin does.
        writing = QtConcurrent::run([fd = ::dup(pipe.fileDescriptor()), image] {
            const auto* bits = reinterpret_cast<const char*>(image.constBits());
            for (qsizetype done = 0; done < image.sizeInBytes();) {
                const ssize_t wrote =
                    ::write(fd, bits + done, static_cast<size_t>(image.sizeInBytes() - done));
                if (wrote <= 0)
                    break;
                done += wrote;
            }
            ::close(fd);
        });
        return {{QStringLiteral("type"), QStringLiteral("raw")},
                {QStringLiteral("width"), static_cast<uint>(image.width())},
                {QStringLiteral("height"), static_cast<uint>(image.height())},
                {QStringLiteral("stride"), static_cast<uint>(image.bytesPerLine())},
                {QStringLiteral("format"), static_cast<uint>(image.format())}};
    }
};

// Sends the Response of the request a portal call names in its options, after its reply.
QDBusObjectPath answerLater(const QString& sender, const QVariantMap& options, uint code,
                            const QVariantMap& results)
{
    const QString path =
        portalRequestPath(sender, options.value(QStringLiteral("handle_token")).toString());
    QDBusMessage response = QDBusMessage::createSignal(
        path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
    response << code << results;
    QTimer::singleShot(20, [response] { QDBusConnection::sessionBus().send(response); });
    return QDBusObjectPath(path);
}

// The portal's global shortcuts: a session, the binding (or a refusal) and key presses.
class FakeShortcuts : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)
public:
    explicit FakeShortcuts(QObject* parent)
        : QDBusAbstractAdaptor(parent)
    {}
    bool refuse = false;
    QString trigger; // the preferred one, as asked
    uint version() const { return 1; }

    void press(const QString& id)
    {
        QDBusMessage activated = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/portal/desktop"),
            QStringLiteral("org.freedesktop.portal.GlobalShortcuts"), QStringLiteral("Activated"));
        activated << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong{1}
                  << QVariantMap();
        QDBusConnection::sessionBus().send(activated);
    }

    QString session;

public Q_SLOTS:
    QDBusObjectPath CreateSession(const QVariantMap& options)
    {
        session = QStringLiteral("/org/freedesktop/portal/desktop/session/1_1/%1")
                      .arg(options.value(QStringLiteral("session_handle_token")).toString());
        // Adaptors see no calling context; the test is the only caller.
        return answerLater(QDBusConnection::sessionBus().baseService(), options, 0,
                           {{QStringLiteral("session_handle"), session}});
    }
    QDBusObjectPath BindShortcuts(const QDBusObjectPath& /*session*/,
                                  const QList<PortalShortcut>& shortcuts, const QString& /*parent*/,
                                  const QVariantMap& options)
    {
        for (const PortalShortcut& shortcut : shortcuts)
            trigger = shortcut.properties.value(QStringLiteral("preferred_trigger")).toString();
        return answerLater(QDBusConnection::sessionBus().baseService(), options, refuse ? 1 : 0,
                           {});
    }
};

} // namespace

class TestDesktopPortals : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void theScreenIsCutFromTheWholePictureAndTheFileRemoved();
    void refusalsAndFailuresAreTold_data();
    void refusalsAndFailuresAreTold();
    void aPortalThatNeverAnswersTimesOut();
    void accessFollowsTheStoreAndAsksOnlyWhenUnanswered_data();
    void accessFollowsTheStoreAndAsksOnlyWhenUnanswered();
    void kwinGivesTheScreenAtItsDensityOrLeavesItToTheFallback();
    void theHotKeyComesFromTheDesktopsShortcutService();
    void aRefusedShortcutLeavesTheGrab();

private:
    FakePortal portal_;
    FakeShortcuts* shortcuts_ = nullptr; // made once its argument types are known
    FakeKWin kwin_;
    FakePermissionStore store_;
    QTemporaryDir dir_;
    const QList<QRect> layout_{{0, 0, 200, 100}, {200, 0, 100, 50}};
    PortalDisplayCapture capture_{[this] { return layout_; }};
};

void TestDesktopPortals::initTestCase()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    QVERIFY2(bus.isConnected(), "run inside dbus-run-session");
    QVERIFY(!PortalDisplayCapture::available());
    QVERIFY(!PortalGlobalHotkey::available());
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    shortcuts_ = new FakeShortcuts(&portal_);
    QVERIFY(bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal_,
                               QDBusConnection::ExportAllSlots |
                                   QDBusConnection::ExportAllProperties |
                                   QDBusConnection::ExportAdaptors));
    QVERIFY(bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
    QVERIFY(PortalDisplayCapture::available());
    qDBusRegisterMetaType<QMap<QString, QStringList>>();
    QVERIFY(bus.registerObject(QStringLiteral("/org/freedesktop/impl/portal/PermissionStore"),
                               &store_, QDBusConnection::ExportAllSlots));
    QVERIFY(bus.registerService(QStringLiteral("org.freedesktop.impl.portal.PermissionStore")));
}

void TestDesktopPortals::theScreenIsCutFromTheWholePictureAndTheFileRemoved()
{
    // The layout at scale 2: the right screen is the picture's right part, in blue.
    QImage picture(600, 200, QImage::Format_RGB32);
    picture.fill(Qt::red);
    for (int y = 0; y < 100; ++y)
        for (int x = 400; x < 600; ++x)
            picture.setPixel(x, y, qRgb(0, 0, 255));
    portal_.answer = 0;
    portal_.fileName = dir_.filePath(QStringLiteral("shot.png"));
    QVERIFY(picture.save(portal_.fileName));
    const DisplayImage shot =
        capture_.captureDisplay({QStringLiteral("R"), layout_.at(1), 1.0, {}});
    QVERIFY2(shot.ok(), qPrintable(shot.error));
    QCOMPARE(shot.image.size(), QSize(200, 100));
    QCOMPARE(shot.scale, 2.0);
    QCOMPARE(shot.image.pixel(0, 0), qRgb(0, 0, 255));
    QCOMPARE(shot.image.pixel(199, 99), qRgb(0, 0, 255));
    QVERIFY(!QFile::exists(portal_.fileName));
}

void TestDesktopPortals::refusalsAndFailuresAreTold_data()
{
    QTest::addColumn<uint>("answer");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QString>("reason");
    QTest::newRow("cancelled") << 1U << QByteArray() << QSize() << true << "did not allow";
    QTest::newRow("refused") << 2U << QByteArray() << QSize() << true << "did not allow";
    QTest::newRow("not a picture")
        << 0U << QByteArray("GIF89a?") << QSize() << false << "could not be read";
    QTest::newRow("not the layout")
        << 0U << QByteArray() << QSize(300, 300) << false << "does not match";
}

void TestDesktopPortals::refusalsAndFailuresAreTold()
{
    QFETCH(uint, answer);
    QFETCH(QByteArray, file);
    QFETCH(QSize, size);
    QFETCH(bool, refused);
    QFETCH(QString, reason);
    portal_.answer = answer;
    portal_.fileName = dir_.filePath(QStringLiteral("bad.png"));
    QFile out(portal_.fileName);
    QVERIFY(out.open(QIODevice::WriteOnly));
    if (size.isValid()) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::green);
        QVERIFY(image.save(&out, "PNG"));
    } else {
        out.write(file);
    }
    out.close();
    const DisplayImage shot =
        capture_.captureDisplay({QStringLiteral("L"), layout_.at(0), 1.0, {}});
    QVERIFY(!shot.ok());
    QCOMPARE(shot.refused, refused);
    QVERIFY2(shot.error.contains(reason), qPrintable(shot.error));
    // Whatever the portal left is not left lying around.
    QCOMPARE(QFile::exists(portal_.fileName), refused);
}

void TestDesktopPortals::aPortalThatNeverAnswersTimesOut()
{
    portal_.answer.reset();
    const int before = portal_.calls;
    const DisplayImage shot = capture_.captureLayout(300);
    QCOMPARE(portal_.calls, before + 1);
    QVERIFY(!shot.ok());
    QVERIFY(!shot.refused);
    QVERIFY2(shot.error.contains(QStringLiteral("did not answer")), qPrintable(shot.error));
    // The next request is served again.
    portal_.answer = 1;
    QVERIFY(capture_.captureLayout(2000).refused);
}

void TestDesktopPortals::accessFollowsTheStoreAndAsksOnlyWhenUnanswered_data()
{
    QTest::addColumn<QString>("stored"); // "": no entry
    QTest::addColumn<bool>("desktopAsks");
    QTest::addColumn<uint>("userAnswer"); // the portal's, when asked
    QTest::addColumn<bool>("preflight");
    QTest::addColumn<bool>("granted");
    QTest::addColumn<int>("portalCalls");
    QTest::newRow("gnome, allowed before") << "yes" << true << 2U << true << true << 0;
    QTest::newRow("gnome, refused before") << "no" << true << 0U << false << false << 0;
    QTest::newRow("gnome, asked: allows") << "" << true << 0U << false << true << 1;
    QTest::newRow("gnome, asked: refuses") << "" << true << 2U << false << false << 1;
    QTest::newRow("kde asks nobody") << "" << false << 2U << true << true << 0;
    QTest::newRow("kde, refused in the store") << "no" << false << 0U << false << false << 0;
}

void TestDesktopPortals::accessFollowsTheStoreAndAsksOnlyWhenUnanswered()
{
    QFETCH(QString, stored);
    QFETCH(bool, desktopAsks);
    QFETCH(uint, userAnswer);
    QFETCH(bool, preflight);
    QFETCH(bool, granted);
    QFETCH(int, portalCalls);
    store_.unsandboxed = stored.isEmpty() ? QStringList() : QStringList{stored};
    portal_.answer = userAnswer;
    portal_.fileName = dir_.filePath(QStringLiteral("asked.png"));
    QImage picture(300, 100, QImage::Format_RGB32);
    picture.fill(Qt::gray);
    QVERIFY(picture.save(portal_.fileName));
    PortalPermission permission(capture_, desktopAsks);
    const int before = portal_.calls;
    QCOMPARE(permission.preflight(), preflight);
    QCOMPARE(permission.request(), granted);
    QCOMPARE(portal_.calls - before, portalCalls);
}

void TestDesktopPortals::kwinGivesTheScreenAtItsDensityOrLeavesItToTheFallback()
{
    QVERIFY(!KWinScreenShotCapture::available());
    QDBusConnection bus = QDBusConnection::sessionBus();
    QVERIFY(
        bus.registerObject(QStringLiteral("/org/kde/KWin/ScreenShot2"), &kwin_,
                           QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
    QVERIFY(bus.registerService(QStringLiteral("org.kde.KWin")));
    QVERIFY(KWinScreenShotCapture::available());

    auto fallback = std::make_unique<fakes::FakeDisplayCapture>();
    fakes::FakeDisplayCapture& portal = *fallback;
    KWinScreenShotCapture capture(std::move(fallback));
    const ScreenInfo right{QStringLiteral("R"), {1920, 0, 640, 360}, 1.0, {1920, 0, 640, 360}};
    const DisplayImage shot = capture.captureDisplay(right);
    QVERIFY2(shot.ok(), qPrintable(shot.error));
    QCOMPARE(kwin_.asked, right.geometry);
    QCOMPARE(shot.image.size(), QSize(1280, 720));
    QCOMPARE(shot.scale, 2.0);
    QCOMPARE(shot.image.pixel(300, 200), qRgb(300 & 0xff, 200, 7));
    QVERIFY(portal.requests.isEmpty());

    // Refused (the desktop entry does not list the interface): the fallback from then on.
    kwin_.refuse = true;
    QVERIFY(capture.captureDisplay(right).ok());
    QCOMPARE(portal.requests.size(), 1);
    kwin_.refuse = false;
    QVERIFY(capture.captureDisplay(right).ok());
    QCOMPARE(portal.requests.size(), 2);
}

void TestDesktopPortals::theHotKeyComesFromTheDesktopsShortcutService()
{
    QVERIFY(PortalGlobalHotkey::available());
    PortalGlobalHotkey hotkey;
    int pressed = 0;
    QVERIFY2(hotkey.registerHotkey('9', [&pressed] { ++pressed; }), qPrintable(hotkey.lastError()));
    QCOMPARE(shortcuts_->trigger, QStringLiteral("CTRL+SHIFT+9"));
    // A fixed token: the desktop finds the same session, and its binding, next time.
    QVERIFY(shortcuts_->session.endsWith(QStringLiteral("/vellumbox")));
    shortcuts_->press(QStringLiteral("something-else"));
    shortcuts_->press(QLatin1String(PortalGlobalHotkey::shortcutId));
    QTRY_COMPARE(pressed, 1);
    hotkey.unregisterHotkey();
    shortcuts_->press(QLatin1String(PortalGlobalHotkey::shortcutId));
    QTest::qWait(100);
    QCOMPARE(pressed, 1);
}

void TestDesktopPortals::aRefusedShortcutLeavesTheGrab()
{
    shortcuts_->refuse = true;
    auto grab = std::make_unique<fakes::FakeGlobalHotkey>();
    fakes::FakeGlobalHotkey& x11 = *grab;
    HotkeyWithFallback hotkey(std::make_unique<PortalGlobalHotkey>(), std::move(grab));
    int pressed = 0;
    QVERIFY(hotkey.registerHotkey('9', [&pressed] { ++pressed; }));
    QCOMPARE(x11.registeredKey, '9');
    x11.onPressed();
    QCOMPARE(pressed, 1);
    QVERIFY(hotkey.lastError().contains(QStringLiteral("refused")));
    // Nothing takes it: the registration fails, with a reason.
    x11.refuse = true;
    QVERIFY(!hotkey.registerHotkey('9', [] {}));
    shortcuts_->refuse = false;
}

QTEST_GUILESS_MAIN(TestDesktopPortals)
#include "tst_desktopportals.moc"
