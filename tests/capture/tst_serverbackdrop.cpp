// SPDX-License-Identifier: GPL-3.0-or-later
// The selection painted by the X server from the screen it holds, read back as another client
// sees it (run inside tools/session.sh).
#include "capture/ScreenCaptureManager.h"
#include "capture/SelectionOverlayView.h"
#include "capture/SelectionOverlayWindow.h"
#include "overlay/OverlayManager.h"
#include "platform/SystemColors.h"
#include "platform/X11Connection.h"
#include "platform/X11DisplayCapture.h"
#include "platform/X11SelectionBackdrop.h"

#include "e2e/XHarness.h"
#include "support/UiSupport.h"

#include <QPainter>
#include <QTest>

using namespace vellumbox;

namespace {

// The screen dimmed, with the selection (device pixels) shown as it is inside a border that
// straddles its edge.
QImage expected(const QImage& screen, const QRect& selection, int halfBorder)
{
    QImage result = screen.copy();
    QPainter painter(&result);
    painter.fillRect(result.rect(), SelectionOverlayView::overlayColor());
    if (!selection.isEmpty()) {
        const auto grown = [&selection](int by) { return selection.adjusted(-by, -by, by, by); };
        painter.fillRect(grown(halfBorder), systemBlue());
        painter.drawImage(grown(-halfBorder).topLeft(), screen, grown(-halfBorder));
    }
    return result;
}

} // namespace

class TestServerBackdrop : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theServerShowsTheDimmedScreenAndTheSelection_data()
    {
        QTest::addColumn<int>("screen");
        QTest::newRow("1x") << 0;
        QTest::newRow("2x") << 1;
    }

    void theServerShowsTheDimmedScreenAndTheSelection()
    {
        QFETCH(int, screen);
        const ScreenInfo info = fakes::twoScreens().at(screen);
        const int ratio = qRound(info.devicePixelRatio);
        const QRect area = info.nativeGeometry;
        e2e::XHarness x;
        QVERIFY(x.setBackground(e2e::pattern::image(screen, QRect(QPoint(), x.rootSize()))));
        const QImage shown = x.grab(area); // with the other clients' windows

        X11DisplayCapture capture;
        std::unique_ptr<SelectionBackdrop> held =
            capture.selectionBackdrop(info, SelectionOverlayView::overlayColor(), false);
        QVERIFY(held);
        SelectionOverlayWindow window(info, {}, false);
        QVERIFY(window.view()->paintOnServer(std::move(held)));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // What the screen shows once the selection is up is not what it was taken over.
        QVERIFY(x.setBackground(e2e::pattern::image(1 - screen, QRect(QPoint(), x.rootSize()))));
        window.view()->showDimmedScreen();
        const auto shows = [&](const QRect& logical) {
            const QImage want =
                expected(shown, QRect(logical.topLeft() * ratio, logical.size() * ratio), ratio);
            QString wrong;
            const auto same = [&] {
                wrong = e2e::pattern::compare(x.grab(area), want, area.topLeft(), {}, 3);
                return wrong.isEmpty();
            };
            e2e::waitUntil(same, 3000);
            return wrong;
        };
        QString wrong = shows({});
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));

        SelectionOverlayView* view = window.view();
        QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, {100, 100});
        QTest::mouseMove(view, {300, 220});
        QVERIFY2((wrong = shows({100, 100, 200, 120})).isEmpty(), qPrintable(wrong));
        // Shrinking dims again what the selection left, and the border follows.
        QTest::mouseMove(view, {150, 130});
        QVERIFY2((wrong = shows({100, 100, 50, 30})).isEmpty(), qPrintable(wrong));
        QTest::keyClick(view, Qt::Key_Escape);
        QVERIFY2((wrong = shows({})).isEmpty(), qPrintable(wrong));
    }

    void whatTheServerCannotHoldIsLeftToTheProgram()
    {
        QString why; // for one pixmap past the largest the protocol allows
        const std::unique_ptr<SelectionBackdrop> huge =
            X11SelectionBackdrop::hold(x11::connection(), QRect(0, 0, 32768, 100), Qt::black, &why);
        QVERIFY2(huge, qPrintable(why));
        QWidget plain;
        const testing::LogCapture log;
        QVERIFY(!huge->attach(plain.winId()));
        QCOMPARE(log.lines().filter(QStringLiteral("no room for 32768 x 100")).size(), 1);

        // A window of another depth cannot take the held picture as its background.
        X11DisplayCapture capture;
        const std::unique_ptr<SelectionBackdrop> held =
            capture.selectionBackdrop(fakes::twoScreens().at(0), Qt::black, false);
        QVERIFY(held);
        QWidget translucent;
        translucent.setAttribute(Qt::WA_TranslucentBackground);
        QVERIFY(!held->attach(translucent.winId()));
    }

    // Each selection window painted by the server, or by the program where the server may not.
    void theCaptureManagerLetsTheServerPaintWhereItCan()
    {
        fakes::FakePlatform p;
        p.screens.screenList = fakes::twoScreens();
        p.windows.compositing = false;
        X11DisplayCapture capture;
        OverlayManager overlays(testing::overlayServices(p));
        ScreenCaptureManager manager(
            {p.screens, capture, p.permission, p.alerts, p.cursor, p.windows}, overlays);
        const testing::LogCapture log;
        for (const bool allowed : {true, false}) {
            capture.setServerBackdropAllowed(allowed);
            manager.startCapture();
            QCOMPARE(manager.selectionWindows().size(), size_t(2));
            for (const auto& window : manager.selectionWindows())
                QCOMPARE(window->view()->testAttribute(Qt::WA_PaintOnScreen), allowed);
            manager.closeSelectionWindows();
        }
        QCOMPARE(log.lines().filter(QStringLiteral("cannot be painted")), QStringList());
    }
};

QTEST_MAIN(TestServerBackdrop)
#include "tst_serverbackdrop.moc"
