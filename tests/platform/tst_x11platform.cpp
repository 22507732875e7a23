// SPDX-License-Identifier: GPL-3.0-or-later
// The Linux services against a real X server (run inside tools/session.sh).
#include "platform/QtScreenProvider.h"
#include "platform/X11DisplayCapture.h"
#include "platform/X11GlobalHotkey.h"
#include "platform/X11GlobalInputMonitor.h"
#include "platform/X11WindowSystem.h"
#include "platform/fakes/FakePlatform.h"

#include "e2e/XHarness.h"
#include "support/TestSupport.h"

#include <QGuiApplication>
#include <QScopeGuard>
#include <QTest>
#include <QWindow>

#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <X11/keysym.h>

using namespace vellumbox;

namespace {

// Another client on the same display, standing for the other applications of the desktop.
struct OtherClient : e2e::XHarness {
    xcb_keycode_t keycode(xcb_keysym_t keysym)
    {
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection());
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
        const xcb_keycode_t code = codes ? codes[0] : 0;
        std::free(codes);
        xcb_key_symbols_free(symbols);
        return code;
    }
    void chord(std::initializer_list<xcb_keysym_t> keys)
    {
        const auto send = [this](uint8_t type, xcb_keysym_t k) {
            xcb_test_fake_input(connection(), type, keycode(k), XCB_CURRENT_TIME, XCB_NONE, 0, 0,
                                0);
        };
        for (const xcb_keysym_t k : keys)
            send(XCB_KEY_PRESS, k);
        for (auto it = std::rbegin(keys); it != std::rend(keys); ++it)
            send(XCB_KEY_RELEASE, *it);
        sync();
    }
};

} // namespace

class TestX11Platform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void screensAreListedWithTheirScale()
    {
        // The session's monitors: L, the primary one, first.
        QCOMPARE(QGuiApplication::primaryScreen()->name(), QStringLiteral("L"));
        QCOMPARE(QtScreenProvider().screens(), fakes::twoScreens());
    }

    void sharedMemoryAndPlainCaptureReadTheSamePixels()
    {
        // A picture drawn straight onto the root window of the R screen.
        OtherClient other;
        const QRect area(1920, 0, 1280, 1024);
        const QImage pattern = e2e::pattern::image(0, area);
        const xcb_gcontext_t gc = xcb_generate_id(other.connection());
        xcb_create_gc(other.connection(), gc, other.root(), 0, nullptr);
        other.putImage(gc, other.root(), pattern, area.topLeft());
        other.sync();

        const ScreenInfo screen{QStringLiteral("R"), QRect(1920, 0, 640, 512), 2.0, area};
        X11DisplayCapture shared;
        X11DisplayCapture plain;
        plain.setSharedMemoryAllowed(false);
        DisplayImage viaShm = shared.captureDisplay(screen);
        const DisplayImage viaSocket = plain.captureDisplay(screen);
        QCOMPARE(viaShm.image.devicePixelRatio(), 2.0);
        for (const DisplayImage& read : {viaShm, viaSocket}) {
            QVERIFY2(read.ok(), qPrintable(read.error));
            const QString wrong = e2e::pattern::compare(read.image, pattern, area.topLeft());
            QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        }

        // A picture still in use keeps its memory; once it goes, the next read reuses it.
        const uchar* first = viaShm.image.constBits();
        const DisplayImage second = shared.captureDisplay(screen);
        QVERIFY(second.image.constBits() != first);
        QCOMPARE(viaShm.image.pixel(1, 0), pattern.pixel(1, 0));
        viaShm.image = QImage();
        const DisplayImage third = shared.captureDisplay(screen);
        QCOMPARE(third.image.constBits(), first);
        QCOMPARE(third.image.pixel(640, 511), pattern.pixel(640, 511));

        // A part alone, as a selection asks for it: the same pixels, where it says they lie;
        // one running off the screen is cut at its edge, one beside it is an error.
        for (X11DisplayCapture* reader : {&shared, &plain}) {
            const DisplayImage part = reader->captureDisplayPart(screen, {1200, 900, 300, 200});
            QVERIFY2(part.ok(), qPrintable(part.error));
            QCOMPARE(part.origin, QPoint(1200, 900));
            QCOMPARE(part.image.size(), QSize(80, 124));
            const QString wrong = e2e::pattern::compare(
                part.image, pattern.copy(QRect(part.origin, part.image.size())),
                area.topLeft() + part.origin);
            QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
            QVERIFY(!reader->captureDisplayPart(screen, {1300, 0, 10, 10}).ok());
        }

        const ScreenInfo outside{QStringLiteral("gone"), QRect(5000, 0, 10, 10), 1.0,
                                 QRect(5000, 0, 10, 10)};
        const DisplayImage none = shared.captureDisplay(outside);
        QVERIFY(!none.ok());
        QVERIFY(none.error.contains(QStringLiteral("outside")));
    }

    // Refused while another client holds the keys, then taken; it follows a layout switch as
    // xmodmap does it: "9" moves from its key to one that had nothing.
    void hotkeyHeldElsewhereIsRefusedThenWorksAndFollowsTheKeymap()
    {
        OtherClient other;
        xcb_connection_t* c = other.connection();
        const xcb_keycode_t nine = other.keycode(XK_9);
        constexpr xcb_keycode_t spare = 200;
        QVERIFY(nine != 0 && nine != spare);
        constexpr uint16_t controlShift = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT;
        xcb_grab_key(c, 1, other.root(), controlShift, nine, XCB_GRAB_MODE_ASYNC,
                     XCB_GRAB_MODE_ASYNC);
        other.sync();

        int presses = 0;
        X11GlobalHotkey hotkey;
        QVERIFY(!hotkey.registerHotkey('9', [&presses] { ++presses; }));
        QVERIFY(hotkey.lastError().contains(QStringLiteral("BadAccess")));
        xcb_ungrab_key(c, nine, other.root(), controlShift);
        other.sync();
        QVERIFY2(hotkey.registerHotkey('9', [&presses] { ++presses; }),
                 qPrintable(hotkey.lastError()));

        other.chord({XK_Control_L, XK_Shift_L, XK_9});
        QTRY_COMPARE(presses, 1);
        // Either modifier alone is not the hot key.
        other.chord({XK_Control_L, XK_9});
        other.chord({XK_Shift_L, XK_9});
        QTest::qWait(200);
        QCOMPARE(presses, 1);
        // Caps Lock on does not matter.
        other.chord({XK_Caps_Lock});
        other.chord({XK_Control_L, XK_Shift_L, XK_9});
        QTRY_COMPARE(presses, 2);
        other.chord({XK_Caps_Lock});

        const auto map = e2e::XHarness::owned(
            xcb_get_keyboard_mapping_reply(c, xcb_get_keyboard_mapping(c, nine, 1), nullptr));
        QVERIFY(map);
        const uint8_t perCode = map->keysyms_per_keycode;
        const QList<xcb_keysym_t> nineSyms(xcb_get_keyboard_mapping_keysyms(map.get()),
                                           xcb_get_keyboard_mapping_keysyms(map.get()) + perCode);
        const QList<xcb_keysym_t> none(perCode, 0);
        const auto remap = [&](xcb_keycode_t code, const QList<xcb_keysym_t>& syms) {
            xcb_change_keyboard_mapping(c, 1, code, perCode, syms.constData());
            other.sync();
        };
        remap(spare, nineSyms);
        remap(nine, none);
        const auto restore = qScopeGuard([&] {
            remap(nine, nineSyms);
            remap(spare, none);
        });
        QCOMPARE(other.keycode(XK_9), spare);
        // The press of the key that now gives "9" starts a capture, once the change has arrived.
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                other.chord({XK_Control_L, XK_Shift_L, XK_9});
                QTest::qWait(100);
                return presses > 2;
            }(),
            5000);

        hotkey.unregisterHotkey();
        const int before = presses;
        other.chord({XK_Control_L, XK_Shift_L, XK_9});
        QTest::qWait(200);
        QCOMPARE(presses, before);
    }

    void compositorIsDetectedByItsSelection()
    {
        X11WindowSystem windows;
        const bool expected =
            qEnvironmentVariable("VELLUMBOX_E2E_COMPOSITOR") == QStringLiteral("1");
        QCOMPARE(windows.compositingActive(), expected);
        if (expected)
            return;
        OtherClient other;
        const xcb_window_t owner = xcb_generate_id(other.connection());
        xcb_create_window(other.connection(), XCB_COPY_FROM_PARENT, owner, other.root(), 0, 0, 1, 1,
                          0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_set_selection_owner(other.connection(), owner, other.atom("_NET_WM_CM_S0"),
                                XCB_CURRENT_TIME);
        other.sync();
        QVERIFY(windows.compositingActive());
    }

    // Another application's menu holds the keyboard as the selection opens: the selection takes
    // keyboard and pointer once it lets go, holds them, and gives them back when released.
    void selectionGrabWaitsForAnotherGrabAndHoldsUntilReleased()
    {
        OtherClient other;
        xcb_connection_t* c = other.connection();
        std::free(
            xcb_grab_keyboard_reply(c,
                                    xcb_grab_keyboard(c, 0, other.root(), XCB_CURRENT_TIME,
                                                      XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                    nullptr));
        QWindow window;
        window.setGeometry(100, 100, 200, 150);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const testing::LogCapture log;
        // Released while it still retries: it takes nothing later, and does not give up.
        X11WindowSystem released;
        QVERIFY(!released.grabInput(&window));
        released.releaseInput();
        X11WindowSystem windows;
        QVERIFY(!windows.grabInput(&window));
        QVERIFY(!other.grabbedElsewhere(false)); // a failed attempt holds nothing
        xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
        other.sync();
        QTRY_VERIFY(other.grabbedElsewhere(false)); // taken on a retry
        QTest::qWait(1000);                         // past every retry
        QVERIFY(other.grabbedElsewhere(false) && other.grabbedElsewhere(true));
        QVERIFY2(log.lines().isEmpty(), qPrintable(log.lines().join(QLatin1Char('\n'))));
        windows.releaseInput();
        QTRY_VERIFY(!other.grabbedElsewhere(false));
        QVERIFY(!other.grabbedElsewhere(true));
    }

    // Input that goes to another application: Escape (no other key), a button, the pointer.
    void otherApplicationsInputIsReportedWhileSubscribed()
    {
        OtherClient other;
        X11GlobalInputMonitor monitor;
        QList<GlobalInput> seen;
        const int id = monitor.subscribe([&seen](GlobalInput input) { seen.append(input); });
        QVERIFY(id >= 0);
        other.chord({XK_9});
        other.chord({XK_Escape});
        QTRY_VERIFY(seen.contains(GlobalInput::EscapePressed));
        QCOMPARE(seen.count(GlobalInput::EscapePressed), 1);
        xcb_connection_t* c = other.connection();
        xcb_test_fake_input(c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, other.root(), 400, 300, 0);
        xcb_test_fake_input(c, XCB_BUTTON_PRESS, 3, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(c, XCB_BUTTON_RELEASE, 3, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(c);
        QTRY_VERIFY(seen.contains(GlobalInput::PointerMoved) &&
                    seen.contains(GlobalInput::ButtonPressed));
        monitor.unsubscribe(id);
        seen.clear();
        other.chord({XK_Escape});
        QTest::qWait(200);
        QVERIFY(seen.isEmpty());
    }
};

QTEST_MAIN(TestX11Platform)
#include "tst_x11platform.moc"
