// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/QtSaveDialog.h"
#include "platform/QtScreenProvider.h"
#include "platform/QuitSignals.h"
#include "platform/ScreenInfo.h"
#include "platform/X11GlobalHotkey.h"

#include <QApplication>
#include <QFileDialog>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <xcb/xcb.h>

#include <csignal>

using namespace vellumbox;

class TestPlatform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void nativeGeometryKeepsTheOriginAndScalesTheSize();
    void aChangedScreenIsToldOnce();
    void hotkeyModifiersMustBeExactlyControlShift_data();
    void hotkeyModifiersMustBeExactlyControlShift();
    void savedNamesGetAnImageSuffix_data();
    void savedNamesGetAnImageSuffix();
    void theSaveDialogAnswersOnceClosed_data();
    void theSaveDialogAnswersOnceClosed();
    void terminationSignalsEndTheEventLoop_data();
    void terminationSignalsEndTheEventLoop();
};

void TestPlatform::nativeGeometryKeepsTheOriginAndScalesTheSize()
{
    QCOMPARE(nativeGeometryOf({1920, 0, 640, 512}, 2.0), QRect(1920, 0, 1280, 1024));
    QCOMPARE(nativeGeometryOf({0, 0, 1920, 1080}, 1.0), QRect(0, 0, 1920, 1080));
    QCOMPARE(nativeGeometryOf({-1000, 0, 1001, 3}, 1.5), QRect(-1000, 0, 1502, 5));
}

void TestPlatform::aChangedScreenIsToldOnce()
{
    QtScreenProvider screens;
    int told = 0;
    screens.setOnScreensChanged([] {});
    screens.setOnScreensChanged([&told] { ++told; });
    Q_EMIT QGuiApplication::primaryScreen()->geometryChanged(QRect(0, 0, 800, 600));
    QCOMPARE(told, 1);
}

void TestPlatform::hotkeyModifiersMustBeExactlyControlShift_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("matches");
    constexpr int control = XCB_MOD_MASK_CONTROL;
    constexpr int shift = XCB_MOD_MASK_SHIFT;
    QTest::newRow("ctrl+shift") << (control | shift) << true;
    QTest::newRow("with caps lock") << (control | shift | XCB_MOD_MASK_LOCK) << true;
    QTest::newRow("with num lock") << (control | shift | XCB_MOD_MASK_2) << true;
    QTest::newRow("with a button held") << (control | shift | XCB_KEY_BUT_MASK_BUTTON_1) << true;
    QTest::newRow("ctrl alone") << control << false;
    QTest::newRow("shift alone") << shift << false;
    QTest::newRow("ctrl+shift+alt") << (control | shift | XCB_MOD_MASK_1) << false;
    QTest::newRow("ctrl+shift+super") << (control | shift | XCB_MOD_MASK_4) << false;
    QTest::newRow("none") << 0 << false;
}

void TestPlatform::hotkeyModifiersMustBeExactlyControlShift()
{
    QFETCH(int, state);
    QFETCH(bool, matches);
    QCOMPARE(isControlShift(static_cast<uint16_t>(state)), matches);
}

void TestPlatform::savedNamesGetAnImageSuffix_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("jpeg");
    QTest::addColumn<QString>("saved");
    const QString name = QStringLiteral("/p/Screenshot 7 Dec 2026 at 3.45 PM");
    QTest::newRow("time's dot, PNG") << name << false << name + QStringLiteral(".png");
    QTest::newRow("time's dot, JPEG") << name << true << name + QStringLiteral(".jpg");
    QTest::newRow("png kept") << "/p/a.png" << true << "/p/a.png";
    QTest::newRow("upper-case JPEG kept") << "/p/a.JPEG" << false << "/p/a.JPEG";
    QTest::newRow("other extension") << "/p/a.tiff" << false << "/p/a.tiff.png";
    QTest::newRow("dot in a folder") << "/p.jpg/a" << false << "/p.jpg/a.png";
}

void TestPlatform::savedNamesGetAnImageSuffix()
{
    QFETCH(QString, path);
    QFETCH(bool, jpeg);
    QFETCH(QString, saved);
    QCOMPARE(withImageSuffix(path, jpeg), saved);
}

void TestPlatform::theSaveDialogAnswersOnceClosed_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("jpeg");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("saved"); // empty: no file
    QTest::newRow("png") << "shot" << false << true << "shot.png";
    QTest::newRow("jpeg, time's dot") << "at 3.45 PM" << true << true << "at 3.45 PM.jpg";
    QTest::newRow("jpeg, bare name") << "shot" << true << true << "shot.jpg";
    QTest::newRow("cancelled") << "shot" << false << false << "";
}

void TestPlatform::theSaveDialogAnswersOnceClosed()
{
    QFETCH(QString, typed);
    QFETCH(bool, jpeg);
    QFETCH(bool, accept);
    QFETCH(QString, saved);
    const auto openDialog = [] {
        const QWidgetList all = QApplication::topLevelWidgets();
        const auto it = std::find_if(all.cbegin(), all.cend(), [](QWidget* w) {
            return qobject_cast<QFileDialog*>(w) && w->isVisible();
        });
        return it == all.cend() ? nullptr : qobject_cast<QFileDialog*>(*it);
    };
    QTemporaryDir dir;
    QtSaveDialog save;
    std::optional<std::optional<QString>> answer;
    save.ask(QStringLiteral("Screenshot 1"), [&](std::optional<QString> path) { answer = path; });
    QFileDialog* dialog = openDialog();
    QVERIFY(dialog);
    // Above the floating screenshots, which stay above ordinary windows.
    QVERIFY(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(QFileInfo(dialog->selectedFiles().value(0)).fileName(), "Screenshot 1.png");
    dialog->setDirectory(dir.path());
    dialog->selectNameFilter(dialog->nameFilters().value(jpeg ? 1 : 0));
    dialog->selectFile(typed);
    QDialog* asked = dialog; // accept() is protected in QFileDialog
    accept ? asked->accept() : asked->reject();
    QVERIFY(!answer); // answered once the dialog is gone
    QTRY_VERIFY(answer);
    QCOMPARE(answer->value_or(QString()), saved.isEmpty() ? saved : dir.filePath(saved));
    QVERIFY(!openDialog());
    // The next save starts where this one went.
    save.ask(QStringLiteral("Screenshot 2"), [](std::optional<QString>) {});
    QVERIFY(openDialog());
    QCOMPARE(openDialog()->directory().absolutePath() == dir.path(), accept);
    openDialog()->reject();
}

void TestPlatform::terminationSignalsEndTheEventLoop_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
}

// The program ends through its event loop, which runs what must happen at exit.
void TestPlatform::terminationSignalsEndTheEventLoop()
{
    QFETCH(int, signal);
    quitOnTerminationSignals();
    QTimer::singleShot(0, [signal] { std::raise(signal); });
    QTimer stuck;
    stuck.callOnTimeout([] { QCoreApplication::exit(1); });
    stuck.start(5000);
    QCOMPARE(QCoreApplication::exec(), 0);
}

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
