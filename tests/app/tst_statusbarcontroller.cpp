// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AboutWindow.h"
#include "app/LogoSvg.h"
#include "app/StatusBarController.h"
#include "app/VellumboxLogoView.h"
#include "overlay/OverlayManager.h"
#include "support/OverlayServices.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScopeGuard>
#include <QSystemTrayIcon>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;
using namespace vellumbox;
using namespace vellumbox::fakes;

class TestStatusBarController : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void menuLowersTheScreenshotsAndAClickCaptures()
    {
        FakePlatform platform;
        OverlayManager overlays(testing::overlayServices(platform));
        const QImage image = testing::filledPicture({10, 10}, Qt::gray);
        ScreenshotOverlayPanel* a = overlays.createOverlay(image, {0, 0, 10, 10});
        ScreenshotOverlayPanel* b = overlays.createOverlay(image, {20, 0, 10, 10});
        const auto levels = [a, b] { return QList{a->level(), b->level()}; };
        int captures = 0;
        StatusBarController controller(overlays, [&captures] { ++captures; });
        Q_EMIT controller.menu()->aboutToShow();
        QCOMPARE(levels(), QList<WindowLevel>(2, WindowLevel::Normal));
        // Rebuilt on opening, not doubled.
        QStringList items;
        for (const QAction* action : controller.menu()->actions())
            items.append(action->isSeparator()
                             ? u"-"_s
                             : action->text() + QLatin1Char('|') + action->shortcut().toString());
        QCOMPARE(items, (QStringList{u"Take Screenshot|Ctrl+Shift+9"_s, u"-"_s,
                                     u"Close All Screenshots|"_s, u"-"_s, u"About Vellumbox|"_s,
                                     u"Check for Updates…|"_s, u"-"_s, u"Quit|Ctrl+Q"_s}));
        Q_EMIT controller.menu()->aboutToHide();
        QCOMPARE(levels(), QList<WindowLevel>(2, WindowLevel::Floating));
        // The item asks the updater, once per choice.
        int checks = 0;
        controller.onCheckForUpdates = [&checks] { ++checks; };
        controller.menu()->actions().at(5)->trigger();
        QCOMPARE(checks, 1);
        QCOMPARE(captures, 0);
        // A left click opens no menu: the capture follows from the event loop, no later.
        Q_EMIT controller.trayIcon()->activated(QSystemTrayIcon::Trigger);
        QCOMPARE(captures, 0);
        QCoreApplication::processEvents();
        QCOMPARE(captures, 1);
        Q_EMIT controller.trayIcon()->activated(QSystemTrayIcon::Context);
        // The menu's item waits for the menu to be gone from the screen.
        controller.menu()->actions().at(0)->trigger();
        QTRY_COMPARE(captures, 2);
        QTest::qWait(StatusBarController::captureDelayMs * 4);
        QCOMPARE(captures, 2); // the right click captured nothing
    }

    void aboutIsOneWindowShowingAllOfItsHelp()
    {
        // A desktop's larger font, which the help's own size must not follow out of the window.
        const QFont original = QApplication::font();
        const auto restore = qScopeGuard([&original] { QApplication::setFont(original); });
        QApplication::setFont(QFont(u"DejaVu Sans"_s, 11));
        FakePlatform platform;
        OverlayManager overlays(testing::overlayServices(platform));
        StatusBarController controller(overlays, [] {});
        controller.menu()->actions().at(4)->trigger(); // About Vellumbox
        QPointer<AboutWindow> first = controller.aboutWindow();
        QVERIFY(first && first->isVisible());
        QCOMPARE(first->windowTitle(), u"About Vellumbox"_s);
        const QLabel* help = testing::childWithText<QLabel>(first, AboutWindow::helpText());
        QVERIFY(help);
        // Every line, wrapped or not, lies inside the label, and the label inside the window.
        const int needed = help->heightForWidth(help->width());
        QVERIFY2(needed <= help->height(),
                 qPrintable(u"%1 of %2 pixels"_s.arg(needed).arg(help->height())));
        QVERIFY(first->rect().contains(help->geometry()));
        controller.showAboutWindow();
        QCOMPARE(controller.aboutWindow(), first.data());
        first->close();
        QTRY_VERIFY(!first);
        QVERIFY(!controller.aboutWindow());
        controller.showAboutWindow();
        QVERIFY(controller.aboutWindow());
        controller.aboutWindow()->close();
    }

    void iconCardsStayInsideTheTile()
    {
        QXmlStreamReader svg(logoSvg());
        QList<QXmlStreamAttributes> rects;
        while (!svg.atEnd()) {
            if (svg.readNext() == QXmlStreamReader::StartElement && svg.name() == u"rect")
                rects.append(svg.attributes());
        }
        QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));
        QCOMPARE(rects.size(), 3);
        const auto value = [&rects](int i, const char* name) {
            return rects.at(i).value(QLatin1String(name));
        };
        // Each card with half its stroke on either side of its edges.
        const auto outline = [&value](int i) {
            const qreal half = value(i, "stroke-width").toDouble() / 2;
            return QRectF(value(i, "x").toDouble(), value(i, "y").toDouble(),
                          value(i, "width").toDouble(), value(i, "height").toDouble())
                .adjusted(-half, -half, half, half);
        };
        for (int i = 1; i < 3; ++i) {
            QVERIFY(value(i, "stroke-width").toDouble() > 0);
            QVERIFY(outline(0).contains(outline(i)));
        }
        QVERIFY(outline(1).intersects(outline(2)));
        // The front card is filled with the tile so that it hides the rear card's outline.
        QCOMPARE(value(2, "fill"), value(0, "fill"));
        QCOMPARE(value(1, "fill"), u"none");
    }

    void frontCardCoversTheRearOutlineOnlyWhenFilled()
    {
        const auto draw = [](std::optional<QColor> fill) {
            QImage image(80, 80, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            VellumboxLogoView::drawLogo(painter, QRectF(0, 0, 80, 80), Qt::blue, fill);
            return image;
        };
        // The rear card's left edge (x 29.2) where it runs inside the front card (y 36.4 to 43.6).
        const QPoint crossing(29, 40);
        QVERIFY(qAlpha(draw(std::nullopt).pixel(crossing)) > 60);
        QCOMPARE(draw(QColor(Qt::white)).pixel(crossing), qRgb(255, 255, 255));
        // The rear outline is drawn at half the stroke's alpha.
        QVERIFY(qAbs(qAlpha(draw(std::nullopt).pixel(29, 20)) - 128) <= 20);
    }

    void trayIconStrokesFollowTheDensity()
    {
        // Opaque rows across the front card's bottom edge (y 17.1 of 18 points), mid-card.
        const auto strokeRows = [](qreal ratio) {
            const QImage image = VellumboxLogoView::trayIcon()
                                     .pixmap(QSize(18, 18), ratio)
                                     .toImage()
                                     .convertToFormat(QImage::Format_ARGB32);
            int rows = 0;
            for (int y = 0; y < image.height(); ++y)
                rows +=
                    y > image.height() * 3 / 4 && qAlpha(image.pixel(qRound(6 * ratio), y)) > 128;
            return std::pair{image.size(), rows};
        };
        const auto [small, thin] = strokeRows(1.0);
        const auto [large, thick] = strokeRows(2.0);
        QCOMPARE(small, QSize(18, 18));
        QCOMPARE(large, QSize(36, 36));
        QVERIFY(thin >= 1);
        QVERIFY2(thick >= 2 * thin - 1,
                 qPrintable(u"%1 rows at 2x, %2 at 1x"_s.arg(thick).arg(thin)));
    }
};

QTEST_MAIN(TestStatusBarController)
#include "tst_statusbarcontroller.moc"
