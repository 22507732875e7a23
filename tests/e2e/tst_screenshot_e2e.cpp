// SPDX-License-Identifier: GPL-3.0-or-later
// A floating screenshot handled as a person handles it: clicks, drags, keys, the context menu
// (walked with the keyboard), the clipboard and the save dialog.
#include "DesktopTools.h"
#include "Steps.h"
#include "TestPattern.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>

#include <algorithm>

using namespace e2e;
using namespace e2e::steps;

namespace {

const QString kSaveDialog = QStringLiteral("Save Screenshot");

QPoint centre(const WindowInfo& w)
{
    return w.geometry.center();
}

qsizetype alertsShown(XHarness& x)
{
    return alerts(x).size();
}

// A menu item reached with the keyboard: Down n times (disabled items are skipped), then the
// keys that follow, as a person without a mouse would choose it.
bool chooseFromMenu(const QPoint& at, int downs, const QStringList& then)
{
    if (!tools::click(at, 3))
        return false;
    QTest::qWait(300);
    for (int i = 0; i < downs; ++i)
        tools::key(QStringLiteral("Down"));
    for (const QString& key : then) {
        tools::key(key);
        QTest::qWait(100);
    }
    return true;
}

} // namespace

class TestScreenshotE2e : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void clickClosesAndDragMoves();
    void pinnedShakesAndCtrlWClosesIt();
    void copyPutsTheExactPixelsOnTheClipboard();
    void menuResizesRotatesAndClosesAll();
    void saveWritesPngAndJpeg();
    void failedSavesWriteNothingAndKeepOldFiles();
    void shareHandsTheImageToTheChosenApplication();

private:
    WindowInfo startWithScreenshot(const QPoint& from, const QPoint& to);
    // Pressed longer than a click, so the screenshot takes the focus without closing.
    void focus(const WindowInfo& shot);
    // Through the dialog; replace answers its question about an existing file.
    bool saveAs(const WindowInfo& shot, const QString& path, bool replace = false);
    QString mountTmpfs(const QString& options);

    XHarness m_x;
    std::unique_ptr<AppProcess> m_app;
    QTemporaryDir m_dir;
    QString m_shareSink;
    QStringList m_mounts;
};

// An application of the desktop's own kind, registered for PNG images and the default for
// them, that keeps a copy of what it is handed.
void TestScreenshotE2e::initTestCase()
{
    m_shareSink = m_dir.filePath(QStringLiteral("shared.png"));
    const QString script = m_dir.filePath(QStringLiteral("viewer.sh"));
    QFile program(script);
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.write(QStringLiteral("#!/bin/sh\ncp \"$1\" '%1'\n").arg(m_shareSink).toUtf8());
    program.close();
    QVERIFY(program.setPermissions(program.permissions() | QFile::ExeOwner));
    const QString applications =
        qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications");
    QVERIFY(QDir().mkpath(applications));
    QFile entry(applications + QStringLiteral("/test-viewer.desktop"));
    QVERIFY(entry.open(QIODevice::WriteOnly));
    entry.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=Test Viewer\n"
                               "Exec=%1 %f\nMimeType=image/png;\n")
                    .arg(script)
                    .toUtf8());
    entry.close();
    // As installing an application does: the MIME cache is what the desktop reads.
    QVERIFY(tools::run(QStringLiteral("update-desktop-database"), {applications}));
    QFile defaults(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/mimeapps.list"));
    QVERIFY(defaults.open(QIODevice::WriteOnly));
    defaults.write("[Default Applications]\nimage/png=test-viewer.desktop\n");
}

void TestScreenshotE2e::init()
{
    QVERIFY(m_x.setBackgroundPattern(0));
    QVERIFY(tools::mouseMove(kParking));
    QString why;
    m_app = startApp(&why);
    QVERIFY2(m_app, qPrintable(why));
}

void TestScreenshotE2e::cleanup()
{
    if (QTest::currentTestFailed())
        tools::mouseUp(1);
    m_app.reset();
    for (const QString& mount : std::as_const(m_mounts))
        umount2(mount.toLocal8Bit().constData(), MNT_DETACH);
    m_mounts.clear();
}

WindowInfo TestScreenshotE2e::startWithScreenshot(const QPoint& from, const QPoint& to)
{
    WindowInfo shot;
    QString why;
    const int count = static_cast<int>(m_x.windowsNamed(kScreenshot).size()) + 1;
    if (!capture(m_x, from, to, count, &shot, &why))
        qWarning("capture failed: %s", qPrintable(why));
    tools::mouseMove(kParking);
    QTest::qWait(kSettleMs);
    return shot;
}

void TestScreenshotE2e::focus(const WindowInfo& shot)
{
    focusScreenshotAt(centre(shot));
}

bool TestScreenshotE2e::saveAs(const WindowInfo& shot, const QString& path, bool replace)
{
    focus(shot);
    tools::key(QStringLiteral("ctrl+s"));
    if (!m_x.waitForWindows(kSaveDialog, 1, kWindowTimeoutMs))
        return false;
    QTest::qWait(300);
    tools::xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("5"), path});
    tools::key(QStringLiteral("Return"));
    if (replace) {
        QTest::qWait(500);
        tools::key(QStringLiteral("alt+y"));
    }
    const bool closed = m_x.waitForNoWindow(kSaveDialog, kWindowTimeoutMs);
    if (!closed)
        tools::run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                              QStringLiteral("/tmp/e2e-save-dialog.png")});
    return closed;
}

QString TestScreenshotE2e::mountTmpfs(const QString& options)
{
    const QString path = m_dir.filePath(QStringLiteral("mount%1").arg(m_mounts.size()));
    QDir().mkpath(path);
    if (mount("tmpfs", path.toLocal8Bit().constData(), "tmpfs", 0,
              options.toLocal8Bit().constData()) != 0)
        return {};
    m_mounts.append(path);
    return path;
}

void TestScreenshotE2e::clickClosesAndDragMoves()
{
    const WindowInfo shot = startWithScreenshot({400, 300}, {700, 500});
    QCOMPARE(shot.geometry, QRect(400, 300, 300, 200));

    QVERIFY(tools::drag(centre(shot), centre(shot) + QPoint(120, 80), 6, 40));
    QTest::qWait(300);
    const std::optional<WindowInfo> moved = m_x.window(shot.id);
    QVERIFY(moved && moved->viewable);
    const QPoint travel = moved->geometry.topLeft() - shot.geometry.topLeft();
    // The window follows the pointer, trailing it by less than the drag threshold.
    QVERIFY2(qAbs(travel.x() - 120) <= 6 && qAbs(travel.y() - 80) <= 6,
             qPrintable(QStringLiteral("moved by (%1, %2)").arg(travel.x()).arg(travel.y())));

    QVERIFY(tools::click(moved->geometry.center()));
    QVERIFY2(m_x.waitForNoWindow(kScreenshot, kWindowTimeoutMs), "a short click kept it open");
    QVERIFY(m_app->isRunning());
}

void TestScreenshotE2e::pinnedShakesAndCtrlWClosesIt()
{
    const WindowInfo shot = startWithScreenshot({300, 300}, {500, 420});
    QVERIFY(chooseFromMenu(centre(shot), 5, {QStringLiteral("Return")})); // Pin
    tools::mouseMove(kParking);
    QTest::qWait(kSettleMs);
    // Pinned: a solid blue border inside the edge.
    const QImage edge = m_x.grab(QRect(shot.geometry.center().x(), shot.geometry.y(), 1, 2));
    QCOMPARE(edge.pixel(0, 1) & 0xffffff, 0x007affU);

    QVERIFY(tools::click(centre(shot)));
    QTest::qWait(800);
    const std::optional<WindowInfo> still = m_x.window(shot.id);
    QVERIFY2(still && still->viewable, "a click closed a pinned screenshot");
    QCOMPARE(still->geometry, shot.geometry);

    focus(shot);
    QVERIFY(tools::key(QStringLiteral("ctrl+w")));
    QVERIFY2(m_x.waitForNoWindow(kScreenshot, kWindowTimeoutMs), "Ctrl+W kept it open");
}

void TestScreenshotE2e::copyPutsTheExactPixelsOnTheClipboard()
{
    // On the screen at scale 2: the clipboard holds every device pixel.
    const QRect dragged(2200, 200, 300, 160);
    const WindowInfo shot =
        startWithScreenshot(dragged.topLeft(), dragged.bottomRight() + QPoint(1, 1));
    QCOMPARE(shot.geometry, dragged);
    focus(shot);
    QVERIFY(tools::key(QStringLiteral("ctrl+c")));
    QImage copied;
    QVERIFY(waitUntil(
        [&] {
            copied = clipboardImage();
            return !copied.isNull();
        },
        3000));
    QCOMPARE(copied.size(), dragged.size());
    const pattern::Diff d = pattern::compare(copied, pattern::image(0, dragged), dragged.topLeft());
    QVERIFY2(d.equal(), qPrintable(d.describe()));
    // Still there after the screenshot has gone: the application keeps serving it.
    focus(shot);
    QVERIFY(tools::key(QStringLiteral("ctrl+w")));
    QVERIFY(m_x.waitForNoWindow(kScreenshot, kWindowTimeoutMs));
    QCOMPARE(clipboardImage().size(), dragged.size());
}

void TestScreenshotE2e::menuResizesRotatesAndClosesAll()
{
    const WindowInfo shot = startWithScreenshot({500, 300}, {700, 400});
    // Resize > 200 %, about the centre.
    QVERIFY(chooseFromMenu(centre(shot), 6,
                           {QStringLiteral("Right"), QStringLiteral("Down"), QStringLiteral("Down"),
                            QStringLiteral("Down"), QStringLiteral("Return")}));
    QVERIFY(waitUntil([&] { return m_x.window(shot.id)->geometry == QRect(400, 250, 400, 200); },
                      2000));
    // Rotate > clockwise: 200 x 400 about the same centre.
    QVERIFY(chooseFromMenu({600, 350}, 7, {QStringLiteral("Right"), QStringLiteral("Return")}));
    QVERIFY(waitUntil([&] { return m_x.window(shot.id)->geometry == QRect(500, 150, 200, 400); },
                      2000));
    tools::mouseMove(kParking);
    QTest::qWait(kSettleMs);
    // Turned clockwise at 200 %: window pixel (50, 60) shows captured pixel (30, 100 - 1 - 25).
    QCOMPARE(m_x.grab(QRect(550, 210, 1, 1)).pixel(0, 0) & 0xffffff,
             pattern::pixel(0, 500 + 30, 300 + 74) & 0xffffff);

    const WindowInfo second = startWithScreenshot({1000, 600}, {1100, 700});
    QVERIFY(second.id != XCB_NONE);
    QVERIFY(chooseFromMenu(centre(second), 8, {QStringLiteral("Return")})); // Close All
    QVERIFY2(m_x.waitForNoWindow(kScreenshot, kWindowTimeoutMs), "Close All left some open");
}

void TestScreenshotE2e::saveWritesPngAndJpeg()
{
    const QRect dragged(600, 400, 240, 160);
    const WindowInfo shot =
        startWithScreenshot(dragged.topLeft(), dragged.bottomRight() + QPoint(1, 1));
    const QString png = m_dir.filePath(QStringLiteral("shot.png"));
    QVERIFY(saveAs(shot, png));
    QVERIFY(waitUntil([&] { return QFile::exists(png); }, 3000));
    const QImage saved = QImage(png).convertToFormat(QImage::Format_RGB32);
    const pattern::Diff d = pattern::compare(saved, pattern::image(0, dragged), dragged.topLeft());
    QVERIFY2(d.equal(), qPrintable(d.describe()));

    const QString jpeg = m_dir.filePath(QStringLiteral("shot.JPEG"));
    QVERIFY(saveAs(shot, jpeg));
    QVERIFY(waitUntil([&] { return QFile::exists(jpeg); }, 3000));
    QCOMPARE(QImageReader(jpeg).format(), QByteArray("jpeg"));
    // The very pixels of the pattern, encoded at quality 90: the same encoder gives the same
    // picture back.
    QByteArray reference;
    QBuffer buffer(&reference);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(pattern::image(0, dragged).save(&buffer, "JPEG", 90));
    const QImage expected =
        QImage::fromData(reference, "JPEG").convertToFormat(QImage::Format_RGB32);
    const QImage lossy = QImage(jpeg).convertToFormat(QImage::Format_RGB32);
    const pattern::Diff j = pattern::compare(lossy, expected, dragged.topLeft(), {}, 1);
    QVERIFY2(j.equal(), qPrintable(j.describe()));
}

void TestScreenshotE2e::failedSavesWriteNothingAndKeepOldFiles()
{
    const QString readOnly = mountTmpfs(QStringLiteral("ro,size=1m"));
    const QString tiny = mountTmpfs(QStringLiteral("size=16k"));
    if (readOnly.isEmpty() || tiny.isEmpty())
        QSKIP("mounting a file system needs root");
    const WindowInfo shot = startWithScreenshot({300, 200}, {800, 600});

    QVERIFY(saveAs(shot, readOnly + QStringLiteral("/shot.png")));
    QVERIFY2(waitUntil([&] { return alertsShown(m_x) == 1; }, kWindowTimeoutMs),
             "no Save Failed alert");
    QVERIFY(tools::key(QStringLiteral("Return")));
    QVERIFY(waitUntil([&] { return alertsShown(m_x) == 0; }, kWindowTimeoutMs));
    QVERIFY(QDir(readOnly).entryList(QDir::Files).isEmpty());

    // A disk too small for the picture: the file that was there stays as it was.
    const QString existing = tiny + QStringLiteral("/keep.png");
    QFile old(existing);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("precious");
    old.close();
    QVERIFY(saveAs(shot, existing, true));
    QVERIFY2(waitUntil([&] { return alertsShown(m_x) == 1; }, kWindowTimeoutMs),
             "no Save Failed alert");
    QVERIFY(tools::key(QStringLiteral("Return")));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("precious"));
    QCOMPARE(QDir(tiny).entryList(QDir::Files), QStringList{QStringLiteral("keep.png")});
    QVERIFY(m_app->isRunning());
}

void TestScreenshotE2e::shareHandsTheImageToTheChosenApplication()
{
    const QRect dragged(900, 500, 200, 120);
    const WindowInfo shot =
        startWithScreenshot(dragged.topLeft(), dragged.bottomRight() + QPoint(1, 1));
    // Share > the first application, the desktop's default for PNG images.
    QVERIFY(chooseFromMenu(centre(shot), 4, {QStringLiteral("Right"), QStringLiteral("Return")}));
    QVERIFY2(waitUntil([&] { return QFile::exists(m_shareSink); }, 5000),
             "the application was not given the image");
    QTest::qWait(300);
    const QImage shared = QImage(m_shareSink).convertToFormat(QImage::Format_RGB32);
    const pattern::Diff d = pattern::compare(shared, pattern::image(0, dragged), dragged.topLeft());
    QVERIFY2(d.equal(), qPrintable(d.describe()));

    // The handed-over file lives in a private folder that goes with the program.
    const QDir folder(qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/vellumbox-share"));
    QCOMPARE(folder.entryList(QDir::Files).size(), 1);
    QCOMPARE(QFileInfo(folder.path()).permissions() & (QFile::ReadGroup | QFile::ReadOther),
             QFile::Permissions());
    QVERIFY(m_app->stop());
    QVERIFY(folder.entryList(QDir::Files).isEmpty());
}

QTEST_GUILESS_MAIN(TestScreenshotE2e)
#include "tst_screenshot_e2e.moc"
