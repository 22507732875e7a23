// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/QtSaveDialog.h"
#include "platform/QtScreenProvider.h"
#include "platform/QuitSignals.h"
#include "platform/ScreenInfo.h"
#include "platform/X11GlobalHotkey.h"
#include "support/TestSupport.h"

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
    void nativeGeometryKeepsTheOriginAndScalesTheSize()
    {
        QCOMPARE(nativeGeometryOf({1920, 0, 640, 512}, 2.0), QRect(1920, 0, 1280, 1024));
        QCOMPARE(nativeGeometryOf({0, 0, 1920, 1080}, 1.0), QRect(0, 0, 1920, 1080));
        QCOMPARE(nativeGeometryOf({-1000, 0, 1001, 3}, 1.5), QRect(-1000, 0, 1502, 5));
    }

    void aChangedScreenIsToldOnce()
    {
        QtScreenProvider screens;
        int told = 0;
        screens.setOnScreensChanged([] {});
        screens.setOnScreensChanged([&told] { ++told; });
        Q_EMIT QGuiApplication::primaryScreen()->geometryChanged(QRect(0, 0, 800, 600));
        QCOMPARE(told, 1);
    }

    void hotkeyModifiersMustBeExactlyControlShift()
    {
        constexpr uint16_t both = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT;
        // Caps Lock, Num Lock and a held button do not matter; any other modifier does.
        for (const uint16_t also : std::initializer_list<uint16_t>{
                 0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2, XCB_KEY_BUT_MASK_BUTTON_1})
            QVERIFY(isControlShift(both | also));
        for (const uint16_t state :
             std::initializer_list<uint16_t>{XCB_MOD_MASK_CONTROL, XCB_MOD_MASK_SHIFT,
                                             both | XCB_MOD_MASK_1, both | XCB_MOD_MASK_4, 0})
            QVERIFY2(!isControlShift(state), qPrintable(QString::number(state)));
    }

    void savedNamesGetAnImageSuffix()
    {
        // The dot in a time is no extension.
        const QString name = QStringLiteral("/p/Screenshot 7 Dec 2026 at 3.45 PM");
        QCOMPARE(withImageSuffix(name, false), name + QStringLiteral(".png"));
        QCOMPARE(withImageSuffix(name, true), name + QStringLiteral(".jpg"));
        const auto saved = [](const char* path, bool jpeg) { return withImageSuffix(path, jpeg); };
        QCOMPARE(saved("/p/a.png", true), QStringLiteral("/p/a.png"));
        QCOMPARE(saved("/p/a.JPEG", false), QStringLiteral("/p/a.JPEG"));
        QCOMPARE(saved("/p/a.tiff", false), QStringLiteral("/p/a.tiff.png"));
        QCOMPARE(saved("/p.jpg/a", false), QStringLiteral("/p.jpg/a.png"));
    }

    void theSaveDialogAnswersOnceClosed_data()
    {
        testing::columns<QString, bool, bool, QString>({"typed", "jpeg", "accept", "saved"});
        QTest::newRow("png") << "shot" << false << true << "shot.png";
        QTest::newRow("jpeg, time's dot") << "at 3.45 PM" << true << true << "at 3.45 PM.jpg";
        QTest::newRow("jpeg, bare name") << "shot" << true << true << "shot.jpg";
        QTest::newRow("cancelled") << "shot" << false << false << "";
    }

    void theSaveDialogAnswersOnceClosed()
    {
        const auto [typed, jpeg, accept, saved] = // saved empty: no file
            testing::fetch<QString, bool, bool, QString>({"typed", "jpeg", "accept", "saved"});
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
        save.ask(QStringLiteral("Screenshot 1"),
                 [&](std::optional<QString> path) { answer = path; });
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

    void terminationSignalsEndTheEventLoop_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
    }

    // The program ends through its event loop, which runs what must happen at exit.
    void terminationSignalsEndTheEventLoop()
    {
        QFETCH(int, signal);
        quitOnTerminationSignals();
        QTimer::singleShot(0, [signal] { std::raise(signal); });
        QTimer stuck;
        stuck.callOnTimeout([] { QCoreApplication::exit(1); });
        stuck.start(5000);
        QCOMPARE(QCoreApplication::exec(), 0);
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
