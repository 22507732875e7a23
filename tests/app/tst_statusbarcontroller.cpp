// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AboutWindow.h"
#include "app/LogoSvg.h"
#include "app/StatusBarController.h"
#include "app/VellumboxLogoView.h"
#include "overlay/OverlayManager.h"
#include "overlay/ScreenshotOverlayPanel.h"
#include "platform/fakes/FakePlatform.h"
#include "support/OverlayServices.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScopeGuard>
#include <QSystemTrayIcon>
#include <QTest>
#include <QXmlStreamReader>

using namespace vellumbox;
using namespace vellumbox::fakes;

class TestStatusBarController : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void menuItemsAndKeys();
    void leftClickCapturesAtOnceTheMenuItemAfterItCloses();
    void menuLowersTheScreenshotsWhileOpen();
    void aboutTwiceIsOneWindow();
    void aboutWindowShowsAllOfItsHelp_data();
    void aboutWindowShowsAllOfItsHelp();
    void iconCardsStayInsideTheTile();
    void frontCardCoversTheRearOutlineOnlyWhenFilled();
    void trayIconStrokesFollowTheDensity();
};

void TestStatusBarController::menuItemsAndKeys()
{
    FakePlatform platform;
    OverlayManager overlays(testing::overlayServices(platform));
    StatusBarController controller(overlays, [] {});
    QStringList items;
    for (const QAction* action : controller.menu()->actions())
        items.append(action->isSeparator()
                         ? QStringLiteral("-")
                         : action->text() + QLatin1Char('|') + action->shortcut().toString());
    QCOMPARE(items,
             (QStringList{QStringLiteral("Take Screenshot|Ctrl+Shift+9"), QStringLiteral("-"),
                          QStringLiteral("Close All Screenshots|"), QStringLiteral("-"),
                          QStringLiteral("About Vellumbox|"), QStringLiteral("Check for Updates…|"),
                          QStringLiteral("-"), QStringLiteral("Quit|Ctrl+Q")}));
    // The item asks the updater, once per choice.
    int checks = 0;
    controller.onCheckForUpdates = [&checks] { ++checks; };
    controller.menu()->actions().at(5)->trigger();
    QCOMPARE(checks, 1);
}

void TestStatusBarController::leftClickCapturesAtOnceTheMenuItemAfterItCloses()
{
    FakePlatform platform;
    OverlayManager overlays(testing::overlayServices(platform));
    int captures = 0;
    StatusBarController controller(overlays, [&captures] { ++captures; });
    // A left click opens no menu: the capture follows from the event loop, no later.
    Q_EMIT controller.trayIcon()->activated(QSystemTrayIcon::Trigger);
    Q_EMIT controller.trayIcon()->activated(QSystemTrayIcon::Context);
    QCOMPARE(captures, 0);
    QCoreApplication::processEvents();
    QCOMPARE(captures, 1);
    // The menu's item waits for the menu to be gone from the screen.
    controller.menu()->actions().at(0)->trigger();
    QTRY_COMPARE(captures, 2);
    QTest::qWait(StatusBarController::captureDelayMs * 4);
    QCOMPARE(captures, 2); // the right click captured nothing
}

void TestStatusBarController::menuLowersTheScreenshotsWhileOpen()
{
    FakePlatform platform;
    OverlayManager overlays(testing::overlayServices(platform));
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::gray);
    auto* a = overlays.createOverlay(image, {0, 0, 10, 10});
    auto* b = overlays.createOverlay(image, {20, 0, 10, 10});
    StatusBarController controller(overlays, [] {});
    Q_EMIT controller.menu()->aboutToShow();
    QCOMPARE(a->level(), WindowLevel::Normal);
    QCOMPARE(b->level(), WindowLevel::Normal);
    QCOMPARE(controller.menu()->actions().size(), 8); // rebuilt, not doubled
    Q_EMIT controller.menu()->aboutToHide();
    QCOMPARE(a->level(), WindowLevel::Floating);
    QCOMPARE(b->level(), WindowLevel::Floating);
}

void TestStatusBarController::aboutTwiceIsOneWindow()
{
    FakePlatform platform;
    OverlayManager overlays(testing::overlayServices(platform));
    StatusBarController controller(overlays, [] {});
    controller.showAboutWindow();
    QPointer<AboutWindow> first = controller.aboutWindow();
    QVERIFY(first && first->isVisible());
    QCOMPARE(first->windowTitle(), QStringLiteral("About Vellumbox"));
    controller.showAboutWindow();
    QCOMPARE(controller.aboutWindow(), first.data());
    first->close();
    QTRY_VERIFY(!first);
    QVERIFY(!controller.aboutWindow());
    controller.showAboutWindow();
    QVERIFY(controller.aboutWindow());
    controller.aboutWindow()->close();
}

void TestStatusBarController::aboutWindowShowsAllOfItsHelp_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("pointSize");
    QTest::newRow("Qt's default font") << QString() << -1;
    QTest::newRow("a desktop's larger font") << QStringLiteral("DejaVu Sans") << 11;
}

void TestStatusBarController::aboutWindowShowsAllOfItsHelp()
{
    QFETCH(QString, family);
    QFETCH(int, pointSize);
    const QFont original = QApplication::font();
    const auto restore = qScopeGuard([&original] { QApplication::setFont(original); });
    if (pointSize > 0)
        QApplication::setFont(QFont(family, pointSize));
    AboutWindow about;
    about.show();
    const QList<QLabel*> labels = about.findChildren<QLabel*>();
    const auto help = std::find_if(labels.begin(), labels.end(), [](const QLabel* label) {
        return label->text() == AboutWindow::helpText();
    });
    QVERIFY(help != labels.end());
    // Every line, wrapped or not, lies inside the label, and the label inside the window.
    const int needed = (*help)->heightForWidth((*help)->width());
    QVERIFY2(needed <= (*help)->height(),
             qPrintable(QStringLiteral("%1 of %2 pixels").arg(needed).arg((*help)->height())));
    QVERIFY(about.rect().contains((*help)->geometry()));
}

void TestStatusBarController::frontCardCoversTheRearOutlineOnlyWhenFilled()
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

void TestStatusBarController::trayIconStrokesFollowTheDensity()
{
    // Opaque rows across the front card's bottom edge (y 17.1 of 18 points), mid-card.
    const auto strokeRows = [](qreal ratio) {
        const QImage image = VellumboxLogoView::trayIcon()
                                 .pixmap(QSize(18, 18), ratio)
                                 .toImage()
                                 .convertToFormat(QImage::Format_ARGB32);
        int rows = 0;
        for (int y = 0; y < image.height(); ++y)
            rows += y > image.height() * 3 / 4 && qAlpha(image.pixel(qRound(6 * ratio), y)) > 128;
        return std::pair{image.size(), rows};
    };
    QCOMPARE(strokeRows(1.0).first, QSize(18, 18));
    QCOMPARE(strokeRows(2.0).first, QSize(36, 36));
    QVERIFY2(strokeRows(2.0).second >= 2 * strokeRows(1.0).second - 1,
             qPrintable(QStringLiteral("%1 rows at 2x, %2 at 1x")
                            .arg(strokeRows(2.0).second)
                            .arg(strokeRows(1.0).second)));
    QVERIFY(strokeRows(1.0).second >= 1);
}

void TestStatusBarController::iconCardsStayInsideTheTile()
{
    QXmlStreamReader svg(logoSvg());
    QList<QRectF> rects;
    QList<qreal> strokes;
    QStringList fills;
    while (!svg.atEnd()) {
        if (svg.readNext() != QXmlStreamReader::StartElement || svg.name() != u"rect")
            continue;
        const auto a = svg.attributes();
        rects.append(QRectF(a.value(QLatin1String("x")).toDouble(),
                            a.value(QLatin1String("y")).toDouble(),
                            a.value(QLatin1String("width")).toDouble(),
                            a.value(QLatin1String("height")).toDouble()));
        strokes.append(a.value(QLatin1String("stroke-width")).toDouble());
        fills.append(a.value(QLatin1String("fill")).toString());
    }
    QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));
    QCOMPARE(rects.size(), 3);
    const QRectF tile = rects.at(0);
    for (int i = 1; i < 3; ++i) {
        const qreal half = strokes.at(i) / 2;
        QVERIFY(strokes.at(i) > 0);
        QVERIFY(tile.contains(rects.at(i).adjusted(-half, -half, half, half)));
    }
    // The front card is filled with the tile so that it hides the rear card's outline.
    QCOMPARE(fills.at(2), fills.at(0));
    QCOMPARE(fills.at(1), QStringLiteral("none"));
    QVERIFY(rects.at(1).intersects(rects.at(2)));
}

QTEST_MAIN(TestStatusBarController)
#include "tst_statusbarcontroller.moc"
