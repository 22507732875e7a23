// SPDX-License-Identifier: GPL-3.0-or-later
// A floating screenshot handled as a person handles it: clicks, drags, keys, the context menu
// (walked with the keyboard), the clipboard, the save dialog, drawing and reading text.
#include "E2eTest.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QImageReader>
#include <QPainter>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace e2e;

namespace {

const QString kSaveDialog = QStringLiteral("Save Screenshot");
const QString kFirstLine = QStringLiteral("Floating screenshots stay on top");
const QString kSecondLine = QStringLiteral("Read their text with one drag");

bool isRed(QRgb p)
{
    return qRed(p) > 200 && qGreen(p) < 70 && qBlue(p) < 70;
}

// The faint blue of a text selection laid over white.
bool isTinted(QRgb p)
{
    return qBlue(p) > 250 && qRed(p) < 248 && qRed(p) > 236;
}

} // namespace

class TestScreenshotE2e : public E2eTest {
    Q_OBJECT
private Q_SLOTS:
    void clickClosesAndDragMoves();
    void copyIsServedAfterTheScreenshotCloses();
    void saveWritesTheFile_data();
    void saveWritesTheFile();
    void failedSaveWritesNothingAndKeepsTheFile_data();
    void failedSaveWritesNothingAndKeepsTheFile();
    void everyToolLeavesItsMarkInTheCopy();
    void escapeInAnotherApplicationEndsEditMode();
    void scanTextCopiesTwoLines_data();
    void scanTextCopiesTwoLines();
    void shareHandsTheImageToTheDefaultApplication();

private:
    void setUp() override;
    // A file size limit, set on demand, must make writes fail rather than end the program.
    void prepare(AppProcess& app) override
    {
        app.process.setChildProcessModifier([] { std::signal(SIGXFSZ, SIG_IGN); });
    }
    bool saveAs(const WindowInfo& shot, const QString& path);
    // Edit mode shows a dashed blue border.
    bool editing(const WindowInfo& shot);

    QTemporaryDir m_dir;
    QString m_shareSink;
    QImage m_text;
};

// An application registered for PNG images and the default for them, as an installed one is,
// that keeps a copy of what it is handed; and a desktop with two lines of text on each screen.
void TestScreenshotE2e::setUp()
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
    QVERIFY(run(QStringLiteral("update-desktop-database"), {applications}));
    QFile defaults(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/mimeapps.list"));
    QVERIFY(defaults.open(QIODevice::WriteOnly));
    defaults.write("[Default Applications]\nimage/png=test-viewer.desktop\n");

    m_text = QImage(m_x.rootSize(), QImage::Format_RGB32);
    m_text.fill(Qt::white);
    QPainter painter(&m_text);
    painter.setPen(QColor(20, 20, 20));
    QFont font(QStringLiteral("DejaVu Sans"));
    for (const int scale : {1, 2}) {
        font.setPixelSize(22 * scale);
        painter.setFont(font);
        const QPoint at = scale == 1 ? QPoint(270, 290) : QPoint(2040, 330);
        painter.drawText(at, kFirstLine);
        painter.drawText(at + QPoint(0, 40 * scale), kSecondLine);
    }
}

bool TestScreenshotE2e::saveAs(const WindowInfo& shot, const QString& path)
{
    QList<WindowInfo> dialogs;
    if (!focusScreenshot(shot))
        return false;
    if (!key(QStringLiteral("ctrl+s")) || !m_x.waitForWindows(kSaveDialog, 1, &dialogs) ||
        !waitUntil([&] { return m_x.hasFocus(dialogs.first()); }))
        return fail(QStringLiteral("no save dialog with the focus"));
    const WindowInfo dialog = dialogs.first();
    const bool replacing = QFileInfo::exists(path);
    if (!xdotool({QStringLiteral("type"), path}) || !key(QStringLiteral("Return")))
        return fail(QStringLiteral("xdotool failed"));
    // The dialog asks before it replaces a file.
    if (replacing) {
        dialogs.clear();
        if (!m_x.waitForWindows(kSaveDialog, 2, &dialogs))
            return fail(QStringLiteral("no question about replacing the file"));
        dialogs.removeIf([&](const WindowInfo& w) { return w.id == dialog.id; });
        if (!waitUntil([&] { return m_x.hasFocus(dialogs.first()); }) ||
            !key(QStringLiteral("alt+y")))
            return fail(QStringLiteral("the question did not take the focus"));
    }
    return m_x.waitForWindows(kSaveDialog, 0) || fail(QStringLiteral("the dialog stayed"));
}

bool TestScreenshotE2e::editing(const WindowInfo& shot)
{
    const QRect& g = shot.geometry;
    const QImage edge = m_x.grab(QRect(g.x() + 12, g.y() + 1, g.width() - 24, 1));
    int blue = 0;
    for (int x = 0; x < edge.width(); ++x)
        blue += (edge.pixel(x, 0) & 0xffffff) == 0x007affU ? 1 : 0;
    return blue > 20;
}

void TestScreenshotE2e::clickClosesAndDragMoves()
{
    WindowInfo shot;
    CHECK_STEP(capture(QRect(400, 300, 300, 200), &shot));
    const QPoint from = shot.geometry.center();
    QVERIFY(drag(from, from + QPoint(120, 80), 6));
    // The window follows the pointer, trailing it by less than the drag threshold.
    QPoint travel;
    QVERIFY2(waitUntil([&] {
                 const auto moved = m_x.window(shot.id);
                 travel = moved ? moved->geometry.topLeft() - shot.geometry.topLeft() : QPoint();
                 return qAbs(travel.x() - 120) <= 6 && qAbs(travel.y() - 80) <= 6;
             }),
             qPrintable(QStringLiteral("moved by (%1, %2)").arg(travel.x()).arg(travel.y())));
    QVERIFY(click(from + travel));
    QVERIFY2(m_x.waitForWindows(kScreenshot, 0), "a click kept it open");
}

void TestScreenshotE2e::copyIsServedAfterTheScreenshotCloses()
{
    // On the screen at scale 2: the clipboard holds every device pixel.
    const QRect area(2200, 200, 300, 160);
    WindowInfo shot;
    CHECK_STEP(capture(area, &shot));
    CHECK_STEP(focusScreenshot(shot));
    QVERIFY(key(QStringLiteral("ctrl+c")));
    QString wrong;
    const auto pasted = [&] {
        wrong = pattern::compare(QImage::fromData(clipboard(QStringLiteral("image/png"))),
                                 pattern::image(0, area), area.topLeft());
        return wrong.isEmpty();
    };
    QVERIFY2(waitUntil(pasted), qPrintable(wrong));
    QVERIFY(key(QStringLiteral("ctrl+w")));
    QVERIFY2(m_x.waitForWindows(kScreenshot, 0), "Ctrl+W kept it open");
    QVERIFY2(pasted(), qPrintable(wrong));
}

void TestScreenshotE2e::saveWritesTheFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("PNG") << QStringLiteral("shot.png") << QByteArray("png");
    QTest::newRow("JPEG") << QStringLiteral("shot.JPEG") << QByteArray("jpeg");
}

void TestScreenshotE2e::saveWritesTheFile()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, format);
    const QRect area(600, 400, 240, 160);
    WindowInfo shot;
    CHECK_STEP(capture(area, &shot));
    const QString path = m_dir.filePath(name);
    CHECK_STEP(saveAs(shot, path));
    QVERIFY(waitUntil([&] { return QFile::exists(path); }));
    QCOMPARE(QImageReader(path).format(), format);
    // The same encoder at quality 90 gives the same picture back from the same pixels.
    QImage expected = pattern::image(0, area);
    QByteArray encoded;
    QBuffer buffer(&encoded);
    QVERIFY(buffer.open(QIODevice::WriteOnly) && expected.save(&buffer, format, 90));
    expected = QImage::fromData(encoded);
    const int tolerance = format == "jpeg" ? 1 : 0;
    const QString wrong = pattern::compare(QImage(path), expected, area.topLeft(), {}, tolerance);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

void TestScreenshotE2e::failedSaveWritesNothingAndKeepsTheFile_data()
{
    QTest::addColumn<QString>("existing");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("diskFull");
    QTest::newRow("into a file") << QStringLiteral("blocker") << QStringLiteral("blocker/shot.png")
                                 << false;
    // A file size limit binds root too, as a full disk does.
    QTest::newRow("replacing, disk full")
        << QStringLiteral("keep.png") << QStringLiteral("keep.png") << true;
}

void TestScreenshotE2e::failedSaveWritesNothingAndKeepsTheFile()
{
    QFETCH(QString, existing);
    QFETCH(QString, target);
    QFETCH(bool, diskFull);
    const QTemporaryDir dir;
    QFile old(dir.filePath(existing));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("precious") == 8);
    old.close();
    WindowInfo shot;
    CHECK_STEP(capture(QRect(300, 200, 400, 300), &shot));

    rlimit unlimited{};
    const rlimit full{64, RLIM_INFINITY};
    const pid_t pid = pid_t(m_app->process.processId());
    if (diskFull)
        QVERIFY(prlimit(pid, RLIMIT_FSIZE, &full, &unlimited) == 0);
    const auto lift = qScopeGuard([&] {
        if (diskFull)
            prlimit(pid, RLIMIT_FSIZE, &unlimited, nullptr);
    });
    CHECK_STEP(saveAs(shot, dir.filePath(target)));
    CHECK_STEP(dismissAlert());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{existing});
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("precious"));
}

void TestScreenshotE2e::everyToolLeavesItsMarkInTheCopy()
{
    const QRect area(300, 200, 500, 400);
    WindowInfo shot;
    CHECK_STEP(capture(area, &shot));
    // One drag per tool of the Edit submenu, each in its own strip (window coordinates).
    const QList<QPair<QPoint, QPoint>> drags{{{40, 40}, {200, 40}},    // pencil, a line
                                             {{260, 20}, {460, 120}},  // circle
                                             {{40, 160}, {200, 260}},  // square
                                             {{260, 200}, {460, 200}}, // arrow
                                             {{60, 300}, {440, 380}}}; // highlight
    for (int tool = 0; tool < drags.size(); ++tool) {
        const QStringList choice =
            words("Right") + QStringList(tool, QStringLiteral("Down")) + words("Return");
        CHECK_STEP(chooseFromMenu(area.topLeft() + QPoint(250, 150), 9, choice));
        QVERIFY(drag(area.topLeft() + drags[tool].first, area.topLeft() + drags[tool].second, 5));
    }
    QVERIFY2(editing(shot), "no dashed border in edit mode");
    QVERIFY(key(QStringLiteral("Escape")));
    QVERIFY2(waitUntil([&] { return !editing(shot); }), "Escape did not end edit mode");

    CHECK_STEP(focusScreenshot(shot));
    QVERIFY(key(QStringLiteral("ctrl+c")));
    QImage copied;
    QVERIFY(waitUntil([&] {
        copied = QImage::fromData(clipboard(QStringLiteral("image/png")));
        return copied.size() == area.size();
    }));
    const auto red = [&copied](QPoint p) { return isRed(copied.pixel(p)); };
    QVERIFY(red({120, 40}));                   // the pencil line
    QVERIFY(red({260, 70}) || red({261, 70})); // the ellipse's left end
    QVERIFY(red({40, 210}) || red({41, 210})); // the square's left side
    QVERIFY(red({360, 200}));                  // the arrow's shaft
    QVERIFY(!red({120, 120}));                 // nothing between
    // Yellow at 0.3 over the pattern: red rises towards 255, blue falls to 70 %.
    const QRgb shown = copied.pixel(250, 340);
    const QRgb under = pattern::pixel(0, area.x() + 250, area.y() + 340);
    QVERIFY2(qAbs(qBlue(shown) - qBlue(under) * 7 / 10) <= 3 &&
                 qAbs(qRed(shown) - (qRed(under) * 7 / 10 + 77)) <= 3,
             "no highlight");
}

void TestScreenshotE2e::escapeInAnotherApplicationEndsEditMode()
{
    WindowInfo shot;
    CHECK_STEP(capture(QRect(400, 300, 300, 200), &shot));
    CHECK_STEP(chooseFromMenu(shot.geometry.center(), 9, words("Right Return"))); // Pencil
    QVERIFY2(waitUntil([&] { return editing(shot); }), "no dashed border in edit mode");

    // Another application in front, with the keyboard: only watching it sees this Escape.
    QProcess other;
    other.start(QStringLiteral("xmessage"), {QStringLiteral("-geometry"),
                                             QStringLiteral("+1200+700"), QStringLiteral("other")});
    const auto end = qScopeGuard([&] {
        other.kill();
        other.waitForFinished();
    });
    QList<WindowInfo> found;
    QVERIFY(m_x.waitForWindows(QStringLiteral("xmessage"), 1, &found));
    QVERIFY(click({1230, 715}));
    QVERIFY2(waitUntil([&] { return m_x.hasFocus(found.first()); }), "it took no keyboard");
    QVERIFY(key(QStringLiteral("Escape")));
    QVERIFY2(waitUntil([&] { return !editing(shot); }), "edit mode survived the Escape");
    // An ordinary screenshot again: a click closes it.
    QVERIFY(click(shot.geometry.center()));
    QVERIFY(m_x.waitForWindows(kScreenshot, 0));
}

void TestScreenshotE2e::scanTextCopiesTwoLines_data()
{
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QRect>("dragged");
    QTest::newRow("scale 1") << QRect(240, 240, 520, 140) << QRect(255, 260, 445, 85);
    QTest::newRow("scale 2") << QRect(1980, 240, 1160, 240) << QRect(2010, 270, 1100, 170);
}

void TestScreenshotE2e::scanTextCopiesTwoLines()
{
    QFETCH(QRect, area);
    QFETCH(QRect, dragged);
    CHECK_STEP(showBackground(m_text));
    WindowInfo shot;
    CHECK_STEP(capture(area, &shot));
    const QPoint blank = area.bottomRight() - QPoint(5, 5);
    const auto tinted = [&] { return isTinted(m_x.grab(QRect(blank, QSize(1, 1))).pixel(0, 0)); };
    QVERIFY(!tinted());
    CHECK_STEP(chooseFromMenu(shot.geometry.center(), 2)); // Scan Text
    QVERIFY2(waitUntil(tinted), "the screenshot was not tinted for the selection");
    QVERIFY(drag(dragged.topLeft(), dragged.bottomRight()));
    CHECK_STEP(dismissAlert());
    QCOMPARE(QString::fromUtf8(clipboard()), kFirstLine + QLatin1Char('\n') + kSecondLine);
    // The selection is gone and the screenshot floats on.
    QVERIFY(waitUntil([&] { return !tinted(); }));
    QVERIFY(m_x.window(shot.id));
}

void TestScreenshotE2e::shareHandsTheImageToTheDefaultApplication()
{
    const QRect area(900, 500, 200, 120);
    WindowInfo shot;
    CHECK_STEP(capture(area, &shot));
    CHECK_STEP(chooseFromMenu(shot.geometry.center(), 4, words("Right Return")));
    QString wrong;
    QVERIFY2(waitUntil([&] {
                 wrong =
                     pattern::compare(QImage(m_shareSink), pattern::image(0, area), area.topLeft());
                 return wrong.isEmpty();
             }),
             qPrintable(wrong));
    // Handed over from a private folder that goes with the program.
    const QDir folder(qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/vellumbox-share"));
    QCOMPARE(folder.entryList(QDir::Files).size(), 1);
    QCOMPARE(QFileInfo(folder.path()).permissions() & (QFile::ReadGroup | QFile::ReadOther),
             QFile::Permissions());
    QVERIFY(m_app->stop());
    QVERIFY(folder.entryList(QDir::Files).isEmpty());
}

QTEST_MAIN(TestScreenshotE2e)
#include "tst_screenshot_e2e.moc"
