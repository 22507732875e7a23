// SPDX-License-Identifier: GPL-3.0-or-later
// The program driven through the X server as a person drives it (xdotool, xclip), so that it
// sees real server events and real selection owners: the selection and what it captures, a
// floating screenshot's clipboard, edit mode and sharing, more launches and the first run.
// Coordinates are root (device) pixels.
#include "XHarness.h"

#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>

using namespace e2e;
using namespace Qt::StringLiterals;

namespace {

const QString kSelection = u"Vellumbox Selection"_s;
const QString kScreenshot = u"Vellumbox Screenshot"_s;
const QString kWelcome = u"Welcome to Vellumbox"_s;

// A command's words; output receives what it prints.
bool run(const QStringList& command, QByteArray* output = nullptr)
{
    QProcess process;
    process.start(command.first(), command.mid(1));
    process.closeWriteChannel();
    const bool ok = process.waitForFinished(20000) &&
                    process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (output)
        *output = process.readAllStandardOutput();
    if (!ok)
        qWarning("%s failed: %s", qPrintable(command.join(' ')),
                 process.readAllStandardError().constData());
    return ok;
}

// The desktop as a person drives it: xdotool's words ("key ctrl+shift+9"), root coordinates.
struct Input {
    static bool xdotool(const QString& words)
    {
        return run(("xdotool " + words).split(' ', Qt::SkipEmptyParts));
    }
    static bool key(const QString& keys) { return xdotool("key " + keys); }
    static QString at(QPoint p) { return u" mousemove %1 %2 "_s.arg(p.x()).arg(p.y()); }
    // Away from every sampled or captured area.
    static bool park() { return xdotool(at({1700, 1000})); }
    static bool click(QPoint p, int button = 1)
    {
        return xdotool(at(p) + "click " + QString::number(button));
    }
    static bool drag(QPoint from, QPoint to)
    {
        QString words = at(from) + "sleep 0.03 mousedown 1";
        for (int i = 1; i <= 4; ++i)
            words += " sleep 0.03" + at(from + (to - from) * i / 4);
        return xdotool(words + "sleep 0.03 mouseup 1");
    }
};

// What another application pastes.
QImage pasted()
{
    QByteArray png;
    run(u"xclip -selection clipboard -o -t image/png"_s.split(' '), &png);
    return QImage::fromData(png);
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(content) == content.size();
}

// The program from $VELLUMBOX_BINARY, or another; its stderr kept for the test and echoed.
struct AppProcess : QProcess {
    AppProcess()
    {
        setProcessChannelMode(ForwardedOutputChannel);
        connect(this, &QProcess::readyReadStandardError, this, [this] {
            const QByteArray more = readAllStandardError();
            std::fputs(more.constData(), stderr);
            log += QString::fromUtf8(more);
        });
    }
    ~AppProcess() override { stop(); }

    bool launch(const QStringList& arguments = {},
                const QString& program = qEnvironmentVariable("VELLUMBOX_BINARY"))
    {
        start(program, arguments);
        return waitForStarted(10000);
    }
    // SIGTERM, then SIGKILL; true when it ended by itself.
    bool stop()
    {
        if (state() != NotRunning) {
            terminate();
            if (!waitForFinished(5000))
                kill();
            waitForFinished(); // killed: a crash exit
        }
        return exitStatus() == NormalExit;
    }

    QString log;
};

} // namespace

// A helper's failure as a test failure, with the helper's reason.
#define CHECK_STEP(step) QVERIFY2(step, qPrintable(QStringLiteral(#step ": ") + m_why))

// One running instance of the program is shared, started when missing and again after a
// scenario that failed or left a window behind; a scenario whose name starts with "launch"
// starts the program itself.
class TestE2e : public QObject, Input {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        const QString binary = qEnvironmentVariable("VELLUMBOX_BINARY");
        QVERIFY2(QFileInfo(binary).isExecutable(), qPrintable(binary + u" won't run"_s));
        QVERIFY2(m_x.isConnected(), "no X server: run under tools/session.sh");
        QCOMPARE(m_x.rootSize(), QSize(3200, 1080));
        // Each mode must really run with, or without, a compositor.
        QCOMPARE(m_x.hasSelectionOwner("_NET_WM_CM_S0"),
                 qEnvironmentVariable("VELLUMBOX_E2E_COMPOSITOR") == u"1"_s);
        m_pattern = pattern::image(0, QRect(QPoint(0, 0), m_x.rootSize()));

        // An application registered for PNG images and the default for them, as an installed one
        // is, that keeps a copy of what it is handed.
        const QString applications = qEnvironmentVariable("XDG_DATA_HOME") + u"/applications"_s;
        QVERIFY(writeFile(applications + u"/test-viewer.desktop"_s,
                          QStringLiteral("[Desktop Entry]\nType=Application\nName=Test Viewer\n"
                                         "Exec=cp %f %1\nMimeType=image/png;\n")
                              .arg(m_shareSink)
                              .toUtf8()));
        QVERIFY(run({"update-desktop-database", applications}));
        QVERIFY(writeFile(qEnvironmentVariable("XDG_CONFIG_HOME") + u"/mimeapps.list"_s,
                          "[Default Applications]\nimage/png=test-viewer.desktop\n"));
    }

    void init()
    {
        if (m_shown != m_pattern.cacheKey())
            CHECK_STEP(showBackground(m_pattern));
        QVERIFY(park());
        if (QByteArray(QTest::currentTestFunction()).startsWith("launch")) {
            m_app.reset();
        } else if (!m_app || m_app->state() != QProcess::Running) {
            m_app = std::make_unique<AppProcess>();
            CHECK_STEP(startApp(*m_app));
        }
    }

    void cleanup()
    {
        const bool crashed = m_app && m_app->exitStatus() == QProcess::CrashExit;
        const bool failed = QTest::currentTestFailed();
        if (failed)
            xdotool("mouseup 1");
        for (const WindowInfo& shot : m_x.windowsNamed(kScreenshot))
            click(shot.geometry.center());
        // The next scenario gets a fresh instance rather than this one's leftovers.
        if (crashed || failed || !m_x.waitForWindows(kScreenshot, 0) ||
            !m_x.windowsNamed(kSelection).isEmpty() || !alerts().isEmpty())
            m_app.reset();
        QVERIFY2(!crashed, "the program crashed");
    }

    // From the hot key, or a second launch handing over to the first and ending.
    void selectionDimsEveryScreenAndReleasesTheInput_data()
    {
        QTest::addColumn<bool>("launch");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("hot key") << false << QStringList();
        QTest::newRow("second launch") << true << QStringList();
        QTest::newRow("second launch --capture") << true << QStringList{u"--capture"_s};
    }

    void selectionDimsEveryScreenAndReleasesTheInput()
    {
        QFETCH(bool, launch);
        QFETCH(QStringList, arguments);
        QList<WindowInfo> windows;
        if (launch) {
            AppProcess second;
            QVERIFY2(second.launch(arguments), qPrintable(second.errorString()));
            QVERIFY2(second.waitForFinished(30000), "the second launch kept running");
            QCOMPARE(std::pair(second.exitStatus(), second.exitCode()),
                     std::pair(QProcess::NormalExit, 0));
            QVERIFY(second.log.contains(u"already running"_s));
            CHECK_STEP(awaitSelection(&windows));
        } else {
            CHECK_STEP(openSelection(&windows));
        }
        QList<QRect> rects;
        for (const WindowInfo& w : std::as_const(windows))
            rects.append(w.overrideRedirect ? w.geometry : QRect());
        std::sort(rects.begin(), rects.end(), [](QRect a, QRect b) { return a.x() < b.x(); });
        QCOMPARE(rects, (QList<QRect>{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)}));

        // Patches on both screens, away from the pointer.
        const QList<QRect> patches = {QRect(100, 100, 64, 64),  QRect(1400, 150, 64, 64),
                                      QRect(150, 850, 64, 64),  QRect(2000, 120, 64, 64),
                                      QRect(3000, 900, 64, 64), QRect(2600, 500, 64, 64)};
        QString wrong;
        // The pattern under black at the given alpha, as the selection dims a screen.
        const auto shows = [&](double alpha) {
            return std::all_of(patches.cbegin(), patches.cend(), [&](const QRect& p) {
                QImage dimmed = pattern::image(0, p);
                QPainter(&dimmed).fillRect(dimmed.rect(), QColor::fromRgbF(0, 0, 0, float(alpha)));
                wrong = pattern::compare(m_x.grab(p), dimmed, p.topLeft(), {}, 3);
                return wrong.isEmpty();
            });
        };
        QVERIFY2(waitUntil([&] { return shows(0.3); }), qPrintable(wrong));

        CHECK_STEP(escapeSelection());
        QVERIFY2(
            waitUntil([&] { return !m_x.grabbedElsewhere(true) && !m_x.grabbedElsewhere(false); }),
            "the keyboard or the pointer stayed grabbed");
        QVERIFY2(waitUntil([&] { return shows(0); }), qPrintable(wrong));
    }

    void aScreenshotShowsItsPixelsUnderTheSelectionAndCopiesThem_data()
    {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<int>("corner"); // rounded off, in device pixels
        QTest::newRow("scale 1") << QRect(400, 200, 317, 211) << 10;
        // Even offsets from the screen's origin: whole logical pixels at scale 2.
        QTest::newRow("scale 2") << QRect(2220, 200, 320, 240) << 20;
    }

    void aScreenshotShowsItsPixelsUnderTheSelectionAndCopiesThem()
    {
        QFETCH(QRect, area);
        QFETCH(int, corner);
        WindowInfo shot;
        CHECK_STEP(capture(area, &shot));
        // Managed by the window manager, undecorated, above ordinary windows, on every workspace.
        QVERIFY(!shot.overrideRedirect);
        // The manager may still be taking it into its frame.
        const xcb_window_t id = shot.id;
        QVERIFY2(waitUntil([&] { return (shot = m_x.window(id)).topLevel != id; }),
                 "the window manager left the screenshot unmanaged");
        QCOMPARE(m_x.window(shot.topLevel).geometry, area);
        QVERIFY(m_x.property(shot.id, "_NET_WM_STATE").contains(m_x.atom("_NET_WM_STATE_ABOVE")));
        QCOMPARE(m_x.property(shot.id, "_NET_WM_DESKTOP"), QList<quint32>{0xFFFFFFFFU});

        // With another picture on the screen, the window can only show what was captured.
        CHECK_STEP(showBackground(pattern::image(1, QRect(QPoint(0, 0), m_x.rootSize()))));
        QRegion corners;
        for (const QPoint& at :
             {area.topLeft(), area.topRight(), area.bottomLeft(), area.bottomRight()})
            corners +=
                QRect(at.x() - corner + 1, at.y() - corner + 1, corner * 2, corner * 2) & area;
        CHECK_STEP(becomes([&] { return m_x.grab(area); }, area, corners));
        QVERIFY2(!m_x.hasFocus(shot), "showing the screenshot took the focus");

        // The next selection covers it, and leaves it.
        QList<WindowInfo> selection;
        CHECK_STEP(openSelection(&selection));
        const int below = m_x.window(shot.id).stackIndex;
        for (const WindowInfo& s : selection)
            QVERIFY2(s.stackIndex > below, "the screenshot above the selection");
        CHECK_STEP(escapeSelection());
        QCOMPARE(m_x.windowsNamed(kScreenshot).size(), 1);

        // The clipboard holds every device pixel, and still does once the screenshot is closed.
        CHECK_STEP(focusScreenshot(shot));
        QVERIFY(key(u"ctrl+c"_s));
        CHECK_STEP(becomes(pasted, area));
        QVERIFY(key(u"ctrl+w"_s));
        QVERIFY2(m_x.waitForWindows(kScreenshot, 0), "Ctrl+W kept it open");
        CHECK_STEP(becomes(pasted, area, {}, 0));
    }

    // The menu hands the image to the default application, from a private folder that goes with
    // the program; in edit mode, Escape pressed in another application ends it.
    void shareThenEscapeElsewhereEndsEditMode()
    {
        const QRect area(900, 500, 200, 120);
        WindowInfo shot;
        CHECK_STEP(capture(area, &shot));
        CHECK_STEP(chooseFromSubmenu(shot.geometry.center(), 4)); // the default application
        CHECK_STEP(becomes([&] { return QImage(m_shareSink); }, area));
        const QDir folder(qEnvironmentVariable("XDG_RUNTIME_DIR") + u"/vellumbox-share"_s);
        QCOMPARE(folder.entryList(QDir::Files).size(), 1);
        QCOMPARE(QFileInfo(folder.path()).permissions() & (QFile::ReadGroup | QFile::ReadOther),
                 QFile::Permissions());

        CHECK_STEP(chooseFromSubmenu(shot.geometry.center(), 9)); // Pencil
        QVERIFY2(waitUntil([&] { return editing(shot); }), "no dashed border in edit mode");
        // Another application in front, with the keyboard: only watching it sees this Escape.
        AppProcess other;
        QVERIFY(other.launch({"-geometry", "+1200+700", "other"}, "xmessage"));
        QList<WindowInfo> found;
        QVERIFY(m_x.waitForWindows(u"xmessage"_s, 1, &found));
        QVERIFY(click({1230, 715}));
        QVERIFY2(waitUntil([&] { return m_x.hasFocus(found.first()); }), "it took no keyboard");
        QVERIFY(key(u"Escape"_s));
        QVERIFY2(waitUntil([&] { return !editing(shot); }), "edit mode survived the Escape");
        // An ordinary screenshot again: a click closes it.
        QVERIFY(click(shot.geometry.center()));
        QVERIFY(m_x.waitForWindows(kScreenshot, 0));
        QVERIFY(m_app->stop());
        QVERIFY(folder.entryList(QDir::Files).isEmpty());
    }

    void launchFirstRunShowsWelcomeThenStartAtLogin()
    {
        const QString autostart = qEnvironmentVariable("XDG_CONFIG_HOME") +
                                  u"/autostart/org.vellumbox.Vellumbox.desktop"_s;
        QFile::remove(m_settings);
        QFile::remove(autostart);
        AppProcess first;
        QVERIFY2(first.launch(), qPrintable(first.errorString()));
        QList<WindowInfo> welcome;
        QVERIFY2(m_x.waitForWindows(kWelcome, 1, &welcome), "no first-run window");
        QVERIFY(waitUntil([&] { return m_x.hasFocus(welcome.first()); }));
        QVERIFY(alerts().isEmpty());
        // "Get Started", centred in the band under the status row.
        const QRect frame = m_x.window(welcome.first().id).geometry;
        QCOMPARE(frame.size(), QSize(460, 420));
        QVERIFY(click(frame.topLeft() + QPoint(230, 398)));
        // The question about starting at login, answered "Yes", its default.
        QList<WindowInfo> shown;
        QVERIFY2(waitUntil([&] { return (shown = alerts()).size() == 1; }, 30000),
                 qPrintable(u"%1 alerts instead of 1"_s.arg(shown.size())));
        QVERIFY2(waitUntil([&] { return m_x.hasFocus(shown.first()); }), "the alert has no focus");
        QVERIFY(key(u"Return"_s));
        QVERIFY(waitUntil([&] { return alerts().isEmpty(); }));
        QVERIFY(m_x.waitForWindows(kWelcome, 0));
        QFile entry(autostart);
        QVERIFY2(waitUntil([&] { return entry.open(QIODevice::ReadOnly); }), "no autostart entry");
        const QString exec =
            u"Exec="_s + QFileInfo(qEnvironmentVariable("VELLUMBOX_BINARY")).canonicalFilePath();
        QVERIFY2(QString::fromUtf8(entry.readAll()).split('\n').contains(exec), qPrintable(exec));
    }

    // A French desktop without a session bus: the hot key still captures; the context menu, as
    // read off the screen, is French, and its first item still puts the picture on the clipboard.
    void launchInFrenchWithoutSessionBus()
    {
        AppProcess french;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"LANGUAGE"_s, u"fr"_s);
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path=/nonexistent/bus"_s);
        french.setProcessEnvironment(environment);
        CHECK_STEP(startApp(french));
        QVERIFY(french.log.contains(u"No session bus"_s));
        const QRect area(500, 300, 300, 200);
        WindowInfo shot, menu;
        CHECK_STEP(capture(area, &shot));
        CHECK_STEP(openMenu(shot.geometry.center(), &menu));
        QTest::qWait(300); // drawn
        const QString picture = m_dir.filePath(u"menu.png"_s);
        // Enlarged: the recogniser reads menu-sized text better at twice its size.
        QVERIFY(
            m_x.grab(menu.geometry)
                .scaled(menu.geometry.size() * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .save(picture));
        QByteArray text;
        QVERIFY(run({"tesseract", picture, "-"}, &text));
        QVERIFY2(text.contains("Copier dans le presse-papiers") && text.contains("Partager") &&
                     !text.contains("Clipboard"),
                 text.constData());
        QVERIFY(key("Down Return"));
        CHECK_STEP(becomes(pasted, area));
    }

private:
    bool fail(const QString& why)
    {
        m_why = why;
        return false;
    }

    // Past the first run, once it has registered the hot key.
    bool startApp(AppProcess& app)
    {
        if (!QFile::exists(m_settings) &&
            !writeFile(m_settings, "[General]\nhasCompletedOnboarding=true\n"
                                   "hasShownLoginItemPrompt=true\n"))
            return fail(u"could not write "_s + m_settings);
        if (!app.launch())
            return fail(app.errorString());
        return waitUntil([&] {
                   return app.log.contains(
                       u"info vellumbox.Hotkey: Hot key Ctrl+Shift+9 registered\n"_s);
               }) ||
               fail(u"the hot key was not registered; log:\n"_s + app.log);
    }

    // Shown until the next scenario, which starts with pattern 0 again.
    bool showBackground(const QImage& image)
    {
        m_shown = image.cacheKey();
        return m_x.setBackground(image) || fail(u"the background did not show"_s);
    }

    // The selection on both screens, once it holds the keyboard and the pointer, as a person
    // drags once it is up.
    bool awaitSelection(QList<WindowInfo>* found = nullptr)
    {
        QList<WindowInfo> windows;
        if (!m_x.waitForWindows(kSelection, 2, &windows))
            return fail(u"%1 selection windows instead of 2"_s.arg(windows.size()));
        if (found)
            *found = windows;
        return waitUntil(
                   [&] { return m_x.grabbedElsewhere(true) && m_x.grabbedElsewhere(false); }) ||
               fail(u"the selection holds no keyboard and pointer grab"_s);
    }
    bool openSelection(QList<WindowInfo>* found = nullptr)
    {
        return (park() && key(u"ctrl+shift+9"_s) && awaitSelection(found)) ||
               fail(u"no selection after the hot key; "_s + m_why);
    }
    bool escapeSelection()
    {
        return (key(u"Escape"_s) && m_x.waitForWindows(kSelection, 0)) ||
               fail(u"the selection stayed after Escape"_s);
    }

    // A selection of area, and the screenshot that shows it, the only one.
    bool capture(const QRect& area, WindowInfo* shot)
    {
        QList<WindowInfo> shots;
        if (!openSelection())
            return false;
        if (!drag(area.topLeft(), area.bottomRight() + QPoint(1, 1)) || !park() ||
            !m_x.waitForWindows(kSelection, 0))
            return fail(u"the selection stayed after the drag"_s);
        if (!m_x.waitForWindows(kScreenshot, 1, &shots))
            return fail(u"%1 screenshots instead of 1"_s.arg(shots.size()));
        *shot = shots.first();
        return shot->geometry == area || fail(QDebug::toString(shot->geometry));
    }

    // Until actual() shows pattern 0 of area, outside ignore, when timeoutMs is not 0.
    bool becomes(const std::function<QImage()>& actual, const QRect& area,
                 const QRegion& ignore = {}, int timeoutMs = 10000)
    {
        QString wrong;
        const auto same = [&] {
            wrong = pattern::compare(actual(), pattern::image(0, area), area.topLeft(), ignore);
            return wrong.isEmpty();
        };
        return (timeoutMs ? waitUntil(same, timeoutMs) : same()) || fail(wrong);
    }

    // The context menu at p, waited for; menu receives it, the top-most popup.
    bool openMenu(const QPoint& p, WindowInfo* menu = nullptr)
    {
        const qsizetype closed = popups().size();
        // Two presses of a button within the double-click interval (0.4 s) make a double click.
        if (m_rightClick.isValid())
            QTest::qWait(int(qMax<qint64>(0, 1000 - m_rightClick.elapsed())));
        m_rightClick.start();
        QList<WindowInfo> up;
        if (!click(p, 3) || !waitUntil([&] { return (up = popups()).size() > closed; }))
            return fail(u"no menu at (%1, %2)"_s.arg(p.x()).arg(p.y()));
        if (menu)
            *menu = up.last();
        return true;
    }
    // The context menu at p, Down `downs` times and Right into a submenu, whose first item Return
    // chooses; each menu waited for.
    bool chooseFromSubmenu(const QPoint& p, int downs)
    {
        const qsizetype closed = popups().size();
        if (!openMenu(p))
            return false;
        if (!key(u"Down "_s.repeated(downs) + "Right") ||
            !waitUntil([&] { return popups().size() > closed + 1; }))
            return fail(u"no submenu"_s);
        return (key(u"Return"_s) && waitUntil([&] { return popups().size() <= closed; })) ||
               fail(u"the menu stayed"_s);
    }
    QList<WindowInfo> popups()
    {
        return m_x.windowsWhere([](const WindowInfo& w) { return w.overrideRedirect; });
    }

    // A press longer than a click: the screenshot takes the focus without closing. A second is
    // far past the 0.3 s of a click, however loaded the machine.
    bool focusScreenshot(const WindowInfo& shot)
    {
        return (xdotool(at(shot.geometry.center()) + "mousedown 1 sleep 1 mouseup 1") &&
                waitUntil([&] { return m_x.hasFocus(shot); })) ||
               fail(u"the screenshot did not take the focus"_s);
    }

    // The alerts up now: titled with the program's name, as is the small tray icon.
    QList<WindowInfo> alerts()
    {
        return m_x.windowsWhere([](const WindowInfo& w) {
            return w.name == u"Vellumbox"_s && w.geometry.width() > 64;
        });
    }

    // Edit mode shows a dashed blue border.
    bool editing(const WindowInfo& shot)
    {
        const QRect& g = shot.geometry;
        const QImage edge = m_x.grab(QRect(g.x() + 12, g.y() + 1, g.width() - 24, 1));
        int blue = 0;
        for (int x = 0; x < edge.width(); ++x)
            blue += (edge.pixel(x, 0) & 0xffffff) == 0x007affU ? 1 : 0;
        return blue > 20;
    }

    const QString m_settings =
        qEnvironmentVariable("XDG_CONFIG_HOME") + u"/Vellumbox/Vellumbox.conf"_s;
    XHarness m_x;
    std::unique_ptr<AppProcess> m_app;
    QString m_why;
    QImage m_pattern;
    qint64 m_shown = 0;
    QElapsedTimer m_rightClick;
    QTemporaryDir m_dir;
    const QString m_shareSink = m_dir.filePath(u"shared.png"_s);
};

QTEST_GUILESS_MAIN(TestE2e)
#include "tst_e2e.moc"
