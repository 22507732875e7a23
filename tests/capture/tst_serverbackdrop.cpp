// SPDX-License-Identifier: GPL-3.0-or-later
// The selection painted by the X server from the screen it holds, read back as another client
// sees it (run inside tools/session.sh).
#include "capture/SelectionOverlayView.h"
#include "capture/SelectionOverlayWindow.h"
#include "platform/SystemColors.h"
#include "platform/X11Connection.h"
#include "platform/X11DisplayCapture.h"
#include "platform/X11SelectionBackdrop.h"
#include "platform/fakes/FakePlatform.h"

#include "e2e/XHarness.h"

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
        const QImage desktop = e2e::pattern::image(screen, QRect(QPoint(), x.rootSize()));
        QVERIFY(x.setBackground(desktop));
        const QImage shown = x.grab(area); // with the other clients' windows

        X11DisplayCapture capture;
        std::unique_ptr<SelectionBackdrop> held =
            capture.selectionBackdrop(info, SelectionOverlayView::overlayColor(), false);
        QVERIFY(held);
        // What the screen shows later is not what the selection was taken over.
        QVERIFY(x.setBackground(e2e::pattern::image(1 - screen, QRect(QPoint(), x.rootSize()))));
        SelectionOverlayWindow window(info, {}, false);
        QVERIFY(window.view()->paintOnServer(std::move(held)));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.view()->showDimmedScreen();
        // Other clients' windows over the selection, such as the tray's.
        QRegion above;
        const QList<e2e::WindowInfo> windows = x.windows();
        const auto ours = std::find_if(windows.begin(), windows.end(),
                                       [&](const auto& w) { return w.id == window.winId(); });
        QVERIFY(ours != windows.end());
        for (const e2e::WindowInfo& w : windows)
            above += w.stackIndex > ours->stackIndex ? w.geometry : QRect();
        const auto shows = [&](const QRect& logical) {
            const QImage want =
                expected(shown, QRect(logical.topLeft() * ratio, logical.size() * ratio), ratio);
            QString wrong;
            e2e::waitUntil(
                [&] {
                    return (wrong =
                                e2e::pattern::compare(x.grab(area), want, area.topLeft(), above, 3))
                        .isEmpty();
                },
                3000);
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
        QString why;
        // Past the largest pixmap the protocol allows.
        QVERIFY(!X11SelectionBackdrop::hold(x11::connection(), QRect(0, 0, 32768, 100), Qt::black,
                                            &why));
        QVERIFY2(why.contains(QStringLiteral("no room")), qPrintable(why));

        // A window of another depth cannot take the held picture as its background.
        X11DisplayCapture capture;
        const std::unique_ptr<SelectionBackdrop> held =
            capture.selectionBackdrop(fakes::twoScreens().at(0), Qt::black, false);
        QVERIFY(held);
        QWidget translucent;
        translucent.setAttribute(Qt::WA_TranslucentBackground);
        QVERIFY(!held->attach(translucent.winId()));

        capture.setServerBackdropAllowed(false);
        QVERIFY(!capture.selectionBackdrop(fakes::twoScreens().at(0), Qt::black, false));
    }
};

QTEST_MAIN(TestServerBackdrop)
#include "tst_serverbackdrop.moc"
