// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/QtSaveDialog.h"
#include "platform/ScreenInfo.h"
#include "platform/X11GlobalHotkey.h"

#include <QTest>

#include <xcb/xcb.h>

using namespace vellumbox;

class TestPlatform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void nativeGeometryKeepsTheOriginAndScalesTheSize();
    void hotkeyModifiersMustBeExactlyControlShift_data();
    void hotkeyModifiersMustBeExactlyControlShift();
    void savedNamesGetAnImageSuffix_data();
    void savedNamesGetAnImageSuffix();
};

void TestPlatform::nativeGeometryKeepsTheOriginAndScalesTheSize()
{
    QCOMPARE(nativeGeometryOf({1920, 0, 640, 512}, 2.0), QRect(1920, 0, 1280, 1024));
    QCOMPARE(nativeGeometryOf({0, 0, 1920, 1080}, 1.0), QRect(0, 0, 1920, 1080));
    QCOMPARE(nativeGeometryOf({-1000, 0, 1001, 3}, 1.5), QRect(-1000, 0, 1502, 5));
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

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
