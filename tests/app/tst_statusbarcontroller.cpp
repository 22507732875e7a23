// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AboutWindow.h"
#include "app/StatusBarController.h"
#include "overlay/OverlayManager.h"
#include "overlay/ScreenshotOverlayPanel.h"
#include "platform/fakes/FakePlatform.h"
#include "support/OverlayServices.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QScopeGuard>
#include <QSystemTrayIcon>
#include <QTest>

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

QTEST_MAIN(TestStatusBarController)
#include "tst_statusbarcontroller.moc"
