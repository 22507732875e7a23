// SPDX-License-Identifier: GPL-3.0-or-later
// A floating screenshot handled as a person handles it: keys, the context menu (walked with the
// keyboard), the clipboard, the save dialog, edit mode and sharing.
#include "E2eTest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace e2e;

namespace {

const QString kSaveDialog = QStringLiteral("Save Screenshot");
} // namespace

class TestScreenshotE2e : public E2eTest {
    Q_OBJECT
private Q_SLOTS:
    void copyIsServedAfterTheScreenshotCloses();
    void failedSaveWritesNothingAndKeepsTheFile_data();
    void failedSaveWritesNothingAndKeepsTheFile();
    void escapeInAnotherApplicationEndsEditMode();
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
};

// An application registered for PNG images and the default for them, as an installed one is,
// that keeps a copy of what it is handed.
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
