// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/CaptureChoice.h"
#include "platform/DesktopPermission.h"
#include "platform/DesktopShortcuts.h"
#include "platform/GnomeShortcuts.h"
#include "platform/KWinScreenShot.h"
#include "platform/PortalGlobalHotkey.h"
#include "platform/PortalPermission.h"
#include "platform/PortalScreenshot.h"
#include "platform/WaylandImage.h"

#include <QProcess>
#include <QTest>

#include <gio/gio.h>

using namespace vellumbox;

Q_DECLARE_METATYPE(vellumbox::CaptureMethod)

class TestWaylandCapture : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theMethodFollowsTheSession_data();
    void theMethodFollowsTheSession();
    void shmPicturesAreReadInTheirOwnFormat_data();
    void shmPicturesAreReadInTheirOwnFormat();
    void aScreenIsShownByTheOutputAtItsPlace_data();
    void aScreenIsShownByTheOutputAtItsPlace();
    void theRequestPathIsTheSendersAndTheTokens();
    void aScreenIsCutFromTheLayoutAtItsScale_data();
    void aScreenIsCutFromTheLayoutAtItsScale();
    void kwinAnswersAreCheckedBeforeRead_data();
    void kwinAnswersAreCheckedBeforeRead();
    void aDesktopShortcutIsOfferedWhereTheHotKeyCannotReach_data();
    void aDesktopShortcutIsOfferedWhereTheHotKeyCannotReach();
    void gnomeKeepsOneShortcutOfOursAndNoneTwice();
    void theTriggerIsWhatTheDesktopMatches_data();
    void theTriggerIsWhatTheDesktopMatches();
    void settingsOpenWhereTheDesktopKeepsTheAnswer_data();
    void settingsOpenWhereTheDesktopKeepsTheAnswer();
};

void TestWaylandCapture::theMethodFollowsTheSession_data()
{
    QTest::addColumn<QByteArray>("forced");
    QTest::addColumn<bool>("wayland");
    QTest::addColumn<QString>("offered"); // s: screen copy, k: KWin, p: portal
    QTest::addColumn<CaptureMethod>("method");
    QTest::addColumn<QString>("asked"); // which probes ran, in order
    using M = CaptureMethod;
    const QByteArray none;
    QTest::newRow("x11 session") << none << false << "skp" << M::X11 << "";
    QTest::newRow("wlroots") << none << true << "sp" << M::WlrScreencopy << "s";
    QTest::newRow("kde") << none << true << "kp" << M::KWin << "sk";
    QTest::newRow("gnome") << none << true << "p" << M::Portal << "skp";
    QTest::newRow("neither") << none << true << "" << M::None << "skp";
    QTest::newRow("portal forced") << QByteArray("portal") << true << "skp" << M::Portal << "p";
    QTest::newRow("kwin forced") << QByteArray("kwin") << true << "skp" << M::KWin << "k";
    QTest::newRow("forced, missing") << QByteArray("Portal ") << true << "s" << M::None << "p";
    QTest::newRow("screencopy forced in x11")
        << QByteArray("screencopy") << false << "s" << M::WlrScreencopy << "s";
    QTest::newRow("x11 forced") << QByteArray("x11") << true << "skp" << M::X11 << "";
    QTest::newRow("unknown name") << QByteArray("pipewire") << true << "p" << M::Portal << "skp";
}

void TestWaylandCapture::theMethodFollowsTheSession()
{
    QFETCH(QByteArray, forced);
    QFETCH(bool, wayland);
    QFETCH(QString, offered);
    QFETCH(CaptureMethod, method);
    QFETCH(QString, asked);
    QString probes;
    const auto probe = [&](QChar which) {
        return [&probes, &offered, which] {
            probes += which;
            return offered.contains(which);
        };
    };
    const CaptureProbes all{probe(QLatin1Char('s')), probe(QLatin1Char('k')),
                            probe(QLatin1Char('p'))};
    QCOMPARE(chooseCaptureMethod(forced, wayland, all), method);
    QCOMPARE(probes, asked);
}

void TestWaylandCapture::shmPicturesAreReadInTheirOwnFormat_data()
{
    QTest::addColumn<uint>("format");
    QTest::addColumn<QByteArray>("firstPixel"); // bytes in memory
    QTest::addColumn<int>("stride");
    QTest::addColumn<bool>("yInverted");
    QTest::addColumn<QString>("refusal"); // empty: read
    // A pure orange, (255, 128, 0), in each byte order.
    const QByteArray xrgb("\x00\x80\xff\x00", 4);
    QTest::newRow("XRGB8888, rows unpadded") << 1U << xrgb << 12 << false << "";
    QTest::newRow("ARGB8888, alpha ignored")
        << 0U << QByteArray("\x00\x80\xff\x10", 4) << 16 << false << "";
    QTest::newRow("XBGR8888") << 0x34324258U << QByteArray("\xff\x80\x00\x00", 4) << 16 << false
                              << "";
    QTest::newRow("ABGR8888") << 0x34324241U << QByteArray("\xff\x80\x00\xff", 4) << 16 << false
                              << "";
    QTest::newRow("upside down") << 1U << xrgb << 16 << true << "";
    QTest::newRow("10-bit colour") << 0x30335258U << xrgb << 16 << false << "pixel format";
    QTest::newRow("RGB565") << 0x36314752U << xrgb << 16 << false << "pixel format";
    QTest::newRow("rows too short") << 1U << xrgb << 11 << false << "malformed";
}

void TestWaylandCapture::shmPicturesAreReadInTheirOwnFormat()
{
    QFETCH(uint, format);
    QFETCH(QByteArray, firstPixel);
    QFETCH(int, stride);
    QFETCH(bool, yInverted);
    QFETCH(QString, refusal);
    // 3 x 2 pixels; the first pixel orange, the rest zero.
    QByteArray buffer(32, '\0');
    buffer.replace(0, 4, firstPixel);
    const DisplayImage read = imageFromShmBuffer(reinterpret_cast<const uchar*>(buffer.constData()),
                                                 {3, 2}, stride, format, yInverted);
    QVERIFY2(read.error.contains(refusal), qPrintable(read.error));
    QCOMPARE(read.ok(), refusal.isEmpty());
    if (!read.ok())
        return;
    QCOMPARE(read.image.size(), QSize(3, 2));
    const QPoint orange = yInverted ? QPoint(0, 1) : QPoint(0, 0);
    QCOMPARE(read.image.pixel(orange), qRgb(255, 128, 0));
    QCOMPARE(qRed(read.image.pixel(1, orange.y())), 0);
    QCOMPARE(qRed(read.image.pixel(0, 1 - orange.y())), 0);
    // The picture is a copy: the compositor's buffer is reused for the next frame.
    buffer.fill('\x7f');
    QCOMPARE(read.image.pixel(orange), qRgb(255, 128, 0));
}

void TestWaylandCapture::aScreenIsShownByTheOutputAtItsPlace_data()
{
    QTest::addColumn<QList<QRect>>("outputs");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<int>("index");
    const QRect left(0, 0, 1920, 1080);
    const QRect right(1920, 0, 640, 360);
    QTest::newRow("the same place") << QList<QRect>{left, right} << right << 1;
    QTest::newRow("moved a little") << QList<QRect>{left, right} << QRect(1900, 0, 640, 360) << 1;
    QTest::newRow("mostly the left") << QList<QRect>{left, right} << QRect(1000, 0, 1000, 300) << 0;
    QTest::newRow("unplugged") << QList<QRect>{left} << right << -1;
    QTest::newRow("no outputs") << QList<QRect>{} << left << -1;
}

void TestWaylandCapture::aScreenIsShownByTheOutputAtItsPlace()
{
    QFETCH(QList<QRect>, outputs);
    QFETCH(QRect, screen);
    QFETCH(int, index);
    QCOMPARE(outputIndexForScreen(outputs, screen), index);
}

void TestWaylandCapture::theRequestPathIsTheSendersAndTheTokens()
{
    QCOMPARE(portalRequestPath(QStringLiteral(":1.42"), QStringLiteral("vellumbox7")),
             QStringLiteral("/org/freedesktop/portal/desktop/request/1_42/vellumbox7"));
}

void TestWaylandCapture::aScreenIsCutFromTheLayoutAtItsScale_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("layout");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("pixels"); // empty: no crop
    QTest::addColumn<qreal>("scale");
    const QRect sway(0, 0, 2560, 1080); // 1920x1080 at 1, 1280x720 at 2 beside it
    QTest::newRow("mixed, the 2x output") << QRect(1920, 0, 640, 360) << sway << QSize(5120, 2160)
                                          << QRect(3840, 0, 1280, 720) << 2.0;
    QTest::newRow("mixed, the 1x output")
        << QRect(0, 0, 1920, 1080) << sway << QSize(5120, 2160) << QRect(0, 0, 3840, 2160) << 2.0;
    QTest::newRow("physical layout") << QRect(1920, 0, 2560, 1440) << QRect(0, 0, 4480, 1440)
                                     << QSize(4480, 1440) << QRect(1920, 0, 2560, 1440) << 1.0;
    QTest::newRow("origin left of zero")
        << QRect(-1280, 0, 1280, 1024) << QRect(-1280, 0, 3200, 1080) << QSize(3200, 1080)
        << QRect(0, 0, 1280, 1024) << 1.0;
    QTest::newRow("not the layout")
        << QRect(0, 0, 1920, 1080) << sway << QSize(1920, 1080) << QRect() << 0.0;
    QTest::newRow("screen outside")
        << QRect(3000, 0, 100, 100) << sway << QSize(2560, 1080) << QRect() << 0.0;
}

void TestWaylandCapture::aScreenIsCutFromTheLayoutAtItsScale()
{
    QFETCH(QRect, screen);
    QFETCH(QRect, layout);
    QFETCH(QSize, picture);
    QFETCH(QRect, pixels);
    QFETCH(qreal, scale);
    const std::optional<LayoutCrop> crop = layoutCrop(screen, layout, picture);
    QCOMPARE(crop.has_value(), !pixels.isEmpty());
    if (crop) {
        QCOMPARE(crop->pixels, pixels);
        QCOMPARE(crop->scale, scale);
    }
}

void TestWaylandCapture::kwinAnswersAreCheckedBeforeRead_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<uint>("format");
    QTest::addColumn<uint>("stride");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<bool>("read");
    // 3 x 2 pixels.
    const uint argb = QImage::Format_ARGB32;
    QTest::newRow("raw ARGB32") << "raw" << argb << 12U << 24 << true;
    QTest::newRow("padded rows") << "raw" << argb << 16U << 32 << true;
    QTest::newRow("RGBX8888") << "raw" << uint(QImage::Format_RGBX8888) << 12U << 24 << true;
    QTest::newRow("not raw") << "png" << argb << 12U << 24 << false;
    QTest::newRow("too few bytes") << "raw" << argb << 12U << 20 << false;
    QTest::newRow("rows too short") << "raw" << argb << 8U << 24 << false;
    QTest::newRow("unknown format") << "raw" << 999U << 12U << 24 << false;
    QTest::newRow("invalid format") << "raw" << 0U << 12U << 24 << false;
}

void TestWaylandCapture::kwinAnswersAreCheckedBeforeRead()
{
    QFETCH(QString, type);
    QFETCH(uint, format);
    QFETCH(uint, stride);
    QFETCH(int, bytes);
    QFETCH(bool, read);
    const QVariantMap results{{QStringLiteral("type"), type},
                              {QStringLiteral("width"), 3U},
                              {QStringLiteral("height"), 2U},
                              {QStringLiteral("stride"), stride},
                              {QStringLiteral("format"), format}};
    // Blue and opaque in ARGB32's memory order (and red in RGBX8888's).
    QByteArray pixels;
    while (pixels.size() < bytes)
        pixels.append("\xff\x00\x00\xff", 4);
    pixels.truncate(bytes);
    const DisplayImage image = imageFromKWinScreenShot(results, pixels);
    QCOMPARE(image.ok(), read);
    if (read) {
        QCOMPARE(image.image.size(), QSize(3, 2));
        const QRgb first = format == QImage::Format_ARGB32 ? qRgb(0, 0, 255) : qRgb(255, 0, 0);
        QCOMPARE(image.image.pixel(2, 1), first);
    } else {
        QVERIFY(!image.error.isEmpty());
    }
}

void TestWaylandCapture::aDesktopShortcutIsOfferedWhereTheHotKeyCannotReach_data()
{
    QTest::addColumn<QByteArray>("desktop");
    QTest::addColumn<bool>("wayland");
    QTest::addColumn<bool>("portal");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("line");
    using K = ShortcutOffer::Kind;
    const QString sway = QStringLiteral("bindsym Ctrl+Shift+9 exec /usr/bin/vellumbox --capture");
    QTest::newRow("gnome 43") << QByteArray("ubuntu:GNOME") << true << false << int(K::Gnome) << "";
    QTest::newRow("gnome with the portal")
        << QByteArray("GNOME") << true << true << int(K::None) << "";
    QTest::newRow("sway") << QByteArray("sway") << true << false << int(K::ConfigurationLine)
                          << sway;
    QTest::newRow("kde has the portal") << QByteArray("KDE") << true << true << int(K::None) << "";
    QTest::newRow("x11 session") << QByteArray("GNOME") << false << false << int(K::None) << "";
    QTest::newRow("unknown desktop") << QByteArray("") << true << false << int(K::None) << "";
    QTest::newRow("hyprland: its own syntax")
        << QByteArray("Hyprland") << true << false << int(K::None) << "";
}

void TestWaylandCapture::aDesktopShortcutIsOfferedWhereTheHotKeyCannotReach()
{
    QFETCH(QByteArray, desktop);
    QFETCH(bool, wayland);
    QFETCH(bool, portal);
    QFETCH(int, kind);
    QFETCH(QString, line);
    const ShortcutOffer offer =
        shortcutOffer(desktop, wayland, portal, QStringLiteral("/usr/bin/vellumbox"));
    QCOMPARE(int(offer.kind), kind);
    QCOMPARE(offer.line, line);
}

void TestWaylandCapture::gnomeKeepsOneShortcutOfOursAndNoneTwice()
{
    // GNOME's schemas, kept in memory: nothing of the user's settings is touched.
    qputenv("GSETTINGS_BACKEND", "memory");
    QProcess probe;
    probe.start(QStringLiteral("gsettings"),
                {QStringLiteral("list-keys"),
                 QStringLiteral("org.gnome.settings-daemon.plugins.media-keys")});
    if (!probe.waitForFinished() || probe.exitCode() != 0)
        QSKIP("GNOME's keyboard settings are not installed here");
    QCOMPARE(addGnomeShortcut(QStringLiteral("/usr/bin/vellumbox --capture")), std::nullopt);
    // Again, with a new command: still one entry, updated.
    QCOMPARE(addGnomeShortcut(QStringLiteral("/opt/vellumbox --capture")), std::nullopt);
    g_autoptr(GSettings) keys = g_settings_new("org.gnome.settings-daemon.plugins.media-keys");
    g_auto(GStrv) paths = g_settings_get_strv(keys, "custom-keybindings");
    QCOMPARE(g_strv_length(paths), 1U);
    QCOMPARE(QByteArray(paths[0]), QByteArray(gnomeShortcutPath));
    const char* schema = "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";
    g_autoptr(GSettings) ours = g_settings_new_with_path(schema, gnomeShortcutPath);
    g_autofree gchar* command = g_settings_get_string(ours, "command");
    g_autofree gchar* binding = g_settings_get_string(ours, "binding");
    QCOMPARE(QByteArray(command), QByteArray("/opt/vellumbox --capture"));
    QCOMPARE(QByteArray(binding), QByteArray("<Control><Shift>9"));
    // Another shortcut of the user's holds the keys: told, not taken over.
    const char* other = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/";
    g_autoptr(GSettings) theirs = g_settings_new_with_path(schema, other);
    g_settings_set_string(theirs, "name", "Terminal");
    g_settings_set_string(theirs, "binding", "<Control><Shift>9");
    const gchar* both[] = {other, nullptr};
    g_settings_set_strv(keys, "custom-keybindings", both);
    const std::optional<QString> refused = addGnomeShortcut(QStringLiteral("vellumbox --capture"));
    QVERIFY(refused && refused->contains(QStringLiteral("Terminal")));
}

void TestWaylandCapture::theTriggerIsWhatTheDesktopMatches_data()
{
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QString>("shifted"); // what Shift+9 types in the layout
    QTest::addColumn<QString>("trigger");
    const QString parenleft = QStringLiteral("parenleft");
    QTest::newRow("kde, us layout") << "KDE" << parenleft << "CTRL+parenleft";
    QTest::newRow("kde, german layout")
        << "KDE" << QStringLiteral("parenright") << "CTRL+parenright";
    QTest::newRow("kde, layout unknown") << "KDE" << QString() << "CTRL+SHIFT+9";
    QTest::newRow("gnome") << "ubuntu:GNOME" << parenleft << "CTRL+SHIFT+9";
}

void TestWaylandCapture::theTriggerIsWhatTheDesktopMatches()
{
    QFETCH(QString, desktop);
    QFETCH(QString, shifted);
    QFETCH(QString, trigger);
    QCOMPARE(portalTrigger('9', desktop, shifted), trigger);
}

void TestWaylandCapture::settingsOpenWhereTheDesktopKeepsTheAnswer_data()
{
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QStringList>("command");
    const QStringList gnome{QStringLiteral("gnome-control-center"), QStringLiteral("applications")};
    QTest::newRow("gnome") << "GNOME" << gnome;
    QTest::newRow("ubuntu's") << "ubuntu:GNOME" << gnome;
    QTest::newRow("kde never asks") << "KDE" << QStringList();
    QTest::newRow("sway") << "sway" << QStringList();
    QTest::newRow("unset") << "" << QStringList();
}

void TestWaylandCapture::settingsOpenWhereTheDesktopKeepsTheAnswer()
{
    QFETCH(QString, desktop);
    QFETCH(QStringList, command);
    QCOMPARE(privacySettingsCommand(desktop), command);
}

QTEST_GUILESS_MAIN(TestWaylandCapture)
#include "tst_waylandcapture.moc"
