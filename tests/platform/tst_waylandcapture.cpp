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
#include "support/TestSupport.h"

#include <QProcess>
#include <QTest>

#include <gio/gio.h>

using namespace vellumbox;
using namespace Qt::StringLiterals;

class TestWaylandCapture : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theMethodFollowsTheSession()
    {
        using M = CaptureMethod;
        // The method, and which probes ran, in order: s screen copy, k KWin, p portal.
        const auto choose = [](const char* forced, bool wayland, const QString& offered) {
            QString asked;
            const auto probe = [&](char which) {
                return [&asked, &offered, which] {
                    asked += QLatin1Char(which);
                    return offered.contains(QLatin1Char(which));
                };
            };
            const M method =
                chooseCaptureMethod(forced, wayland, {probe('s'), probe('k'), probe('p')});
            return std::pair(method, asked);
        };
        QCOMPARE(choose("", false, "skp"), std::pair(M::X11, QString()));
        QCOMPARE(choose("", true, "sp"), std::pair(M::WlrScreencopy, u"s"_s));
        QCOMPARE(choose("", true, "kp"), std::pair(M::KWin, u"sk"_s));
        QCOMPARE(choose("", true, "p"), std::pair(M::Portal, u"skp"_s)); // GNOME
        QCOMPARE(choose("", true, ""), std::pair(M::None, u"skp"_s));
        QCOMPARE(choose("portal", true, "skp"), std::pair(M::Portal, u"p"_s));
        QCOMPARE(choose("kwin", true, "skp"), std::pair(M::KWin, u"k"_s));
        QCOMPARE(choose("Portal ", true, "s"), std::pair(M::None, u"p"_s)); // missing
        QCOMPARE(choose("screencopy", false, "s"), std::pair(M::WlrScreencopy, u"s"_s));
        QCOMPARE(choose("x11", true, "skp"), std::pair(M::X11, QString()));
        QCOMPARE(choose("pipewire", true, "p"), std::pair(M::Portal, u"skp"_s));
    }

    void shmPicturesAreReadInTheirOwnFormat_data()
    {
        // firstPixel: bytes in memory; refusal empty: read.
        testing::columns<uint, QByteArray, int, bool, QString>(
            {"format", "firstPixel", "stride", "yInverted", "refusal"});
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

    void shmPicturesAreReadInTheirOwnFormat()
    {
        const auto [format, firstPixel, stride, yInverted, refusal] =
            testing::fetch<uint, QByteArray, int, bool, QString>(
                {"format", "firstPixel", "stride", "yInverted", "refusal"});
        // 3 x 2 pixels; the first pixel orange, the rest zero.
        QByteArray buffer(32, '\0');
        buffer.replace(0, 4, firstPixel);
        const DisplayImage read = imageFromShmBuffer(
            reinterpret_cast<const uchar*>(buffer.constData()), {3, 2}, stride, format, yInverted);
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

    void aScreenIsShownByTheOutputAtItsPlace()
    {
        const QRect left(0, 0, 1920, 1080);
        const QRect right(1920, 0, 640, 360);
        QCOMPARE(outputIndexForScreen({left, right}, right), 1);
        QCOMPARE(outputIndexForScreen({left, right}, QRect(1900, 0, 640, 360)),
                 1); // moved a little
        QCOMPARE(outputIndexForScreen({left, right}, QRect(1000, 0, 1000, 300)), 0); // mostly left
        QCOMPARE(outputIndexForScreen({left}, right), -1);                           // unplugged
        QCOMPARE(outputIndexForScreen({}, left), -1);
    }

    void aScreenIsCutFromTheLayoutAtItsScale()
    {
        using Crop = std::pair<QRect, qreal>; // none: empty
        const auto crop = [](const QRect& screen, const QRect& layout, const QSize& picture) {
            const std::optional<LayoutCrop> c = layoutCrop(screen, layout, picture);
            return c ? Crop(c->pixels, c->scale) : Crop();
        };
        const QRect sway(0, 0, 2560, 1080); // 1920x1080 at 1, 1280x720 at 2 beside it
        QCOMPARE(crop({1920, 0, 640, 360}, sway, {5120, 2160}), Crop({3840, 0, 1280, 720}, 2.0));
        QCOMPARE(crop({0, 0, 1920, 1080}, sway, {5120, 2160}), Crop({0, 0, 3840, 2160}, 2.0));
        QCOMPARE(crop({1920, 0, 2560, 1440}, {0, 0, 4480, 1440}, {4480, 1440}), // physical
                 Crop({1920, 0, 2560, 1440}, 1.0));
        QCOMPARE(crop({-1280, 0, 1280, 1024}, {-1280, 0, 3200, 1080}, {3200, 1080}),
                 Crop({0, 0, 1280, 1024}, 1.0));
        QCOMPARE(crop({0, 0, 1920, 1080}, sway, {1920, 1080}), Crop());  // not the layout
        QCOMPARE(crop({3000, 0, 100, 100}, sway, {2560, 1080}), Crop()); // screen outside
    }

    void kwinAnswersAreCheckedBeforeRead_data()
    {
        testing::columns<QString, uint, uint, int, bool>(
            {"type", "format", "stride", "bytes", "read"});
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

    void kwinAnswersAreCheckedBeforeRead()
    {
        const auto [type, format, stride, bytes, read] =
            testing::fetch<QString, uint, uint, int, bool>(
                {"type", "format", "stride", "bytes", "read"});
        const QVariantMap results{{u"type"_s, type},
                                  {u"width"_s, 3U},
                                  {u"height"_s, 2U},
                                  {u"stride"_s, stride},
                                  {u"format"_s, format}};
        // Blue and opaque in ARGB32's memory order (and red in RGBX8888's).
        QByteArray pixels;
        while (pixels.size() < bytes)
            pixels.append("\xff\x00\x00\xff", 4);
        pixels.truncate(bytes);
        const DisplayImage image = imageFromKWinScreenShot(results, pixels);
        QCOMPARE(std::pair(image.ok(), image.error.isEmpty()), std::pair(read, read));
        if (!read)
            return;
        QCOMPARE(image.image.size(), QSize(3, 2));
        const QRgb first = format == QImage::Format_ARGB32 ? qRgb(0, 0, 255) : qRgb(255, 0, 0);
        QCOMPARE(image.image.pixel(2, 1), first);
    }

    void eachDesktopGetsItsShortcutOfferTriggerAndSettings()
    {
        using K = ShortcutOffer::Kind;
        const auto offer = [](const char* desktop, bool wayland, bool portal) {
            return shortcutOffer(desktop, wayland, portal, u"/usr/bin/vellumbox"_s);
        };
        const ShortcutOffer none;
        QCOMPARE(offer("ubuntu:GNOME", true, false), (ShortcutOffer{K::Gnome, {}})); // GNOME 43
        QCOMPARE(offer("GNOME", true, true), none);
        QCOMPARE(offer("sway", true, false),
                 (ShortcutOffer{K::ConfigurationLine,
                                u"bindsym Ctrl+Shift+9 exec /usr/bin/vellumbox --capture"_s}));
        QCOMPARE(offer("KDE", true, true), none);
        QCOMPARE(offer("GNOME", false, false), none); // X11
        QCOMPARE(offer("", true, false), none);
        QCOMPARE(offer("Hyprland", true, false), none); // its own syntax
        // KDE matches the symbol Shift+9 types in the layout, when known.
        QCOMPARE(portalTrigger('9', "KDE", "parenleft"), u"CTRL+parenleft"_s);
        QCOMPARE(portalTrigger('9', "KDE", "parenright"), u"CTRL+parenright"_s);
        QCOMPARE(portalTrigger('9', "KDE", {}), u"CTRL+SHIFT+9"_s);
        QCOMPARE(portalTrigger('9', "ubuntu:GNOME", "parenleft"), u"CTRL+SHIFT+9"_s);
        // Where the desktop keeps the answer about screenshots.
        const QStringList gnome{u"gnome-control-center"_s, u"applications"_s};
        QCOMPARE(privacySettingsCommand("GNOME"), gnome);
        QCOMPARE(privacySettingsCommand("ubuntu:GNOME"), gnome);
        for (const char* desktop : {"KDE", "sway", ""}) // KDE never asks
            QCOMPARE(privacySettingsCommand(desktop), QStringList());
    }

    void gnomeKeepsOneShortcutOfOursAndNoneTwice()
    {
        // GNOME's schemas, kept in memory: nothing of the user's settings is touched.
        qputenv("GSETTINGS_BACKEND", "memory");
        QProcess probe;
        probe.start(u"gsettings"_s,
                    {u"list-keys"_s, u"org.gnome.settings-daemon.plugins.media-keys"_s});
        if (!probe.waitForFinished() || probe.exitCode() != 0)
            QSKIP("GNOME's keyboard settings are not installed here");
        QCOMPARE(addGnomeShortcut(u"/usr/bin/vellumbox --capture"_s), std::nullopt);
        // Again, with a new command: still one entry, updated.
        QCOMPARE(addGnomeShortcut(u"/opt/vellumbox --capture"_s), std::nullopt);
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
        const char* other =
            "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/";
        g_autoptr(GSettings) theirs = g_settings_new_with_path(schema, other);
        g_settings_set_string(theirs, "name", "Terminal");
        g_settings_set_string(theirs, "binding", "<Control><Shift>9");
        const gchar* both[] = {other, nullptr};
        g_settings_set_strv(keys, "custom-keybindings", both);
        const std::optional<QString> refused = addGnomeShortcut(u"vellumbox --capture"_s);
        QVERIFY(refused && refused->contains(u"Terminal"_s));
    }
};

QTEST_GUILESS_MAIN(TestWaylandCapture)
#include "tst_waylandcapture.moc"
