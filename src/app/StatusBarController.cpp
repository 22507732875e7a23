// SPDX-License-Identifier: GPL-3.0-or-later
#include "StatusBarController.h"

#include "AboutWindow.h"
#include "VellumboxLogoView.h"
#include "overlay/LoweredPanels.h"
#include "overlay/OverlayManager.h"
#include "platform/AlertPresenter.h"
#include "platform/Logging.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

namespace vellumbox {

StatusBarController::StatusBarController(OverlayManager& overlays,
                                         std::function<void()> startCapture)
    : overlays_(overlays)
    , startCapture_(std::move(startCapture))
    , menu_(std::make_unique<QMenu>())
    , tray_(new QSystemTrayIcon(VellumboxLogoView::trayIcon(), this))
{
    tray_->setToolTip(QStringLiteral("Vellumbox"));
    rebuildMenu();
    tray_->setContextMenu(menu_.get());
    connect(menu_.get(), &QMenu::aboutToShow, this, &StatusBarController::menuWillOpen);
    connect(menu_.get(), &QMenu::aboutToHide, this, &StatusBarController::menuDidClose);
    connect(tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // No menu to wait for: from the event loop, never inside the click.
                if (reason == QSystemTrayIcon::Trigger)
                    beginScreenshot(0);
                // A StatusNotifier host that draws no menus (swaybar) only asks for one; an X11
                // tray or a host that draws it has shown it by now.
                if (reason == QSystemTrayIcon::Context)
                    QTimer::singleShot(0, this, [this] {
                        if (!menu_->isVisible())
                            menu_->popup(QCursor::pos());
                    });
            });
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        qCInfo(lcApp) << "No system tray is available, so the tray icon is not shown;"
                         " Ctrl+Shift+9 still captures";
    tray_->show();
}

StatusBarController::~StatusBarController() = default;

void StatusBarController::rebuildMenu()
{
    menu_->clear();
    QAction* take =
        menu_->addAction(tr("Take Screenshot"), this, [this] { beginScreenshot(captureDelayMs); });
    // Shown for the global hot key, which is registered elsewhere.
    take->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+9")));
    take->setShortcutContext(Qt::WidgetShortcut);
    menu_->addSeparator();
    menu_->addAction(tr("Close All Screenshots"), &overlays_, &OverlayManager::closeAllOverlays);
    menu_->addSeparator();
    menu_->addAction(tr("About Vellumbox"), this, &StatusBarController::showAboutWindow);
    menu_->addAction(tr("Check for Updates…"), this, &StatusBarController::checkForUpdates);
    menu_->addSeparator();
    QAction* quit =
        menu_->addAction(tr("Quit"), QCoreApplication::instance(), &QCoreApplication::quit);
    quit->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    quit->setShortcutContext(Qt::WidgetShortcut);
}

void StatusBarController::menuWillOpen()
{
    rebuildMenu();
    lowered_ = std::make_unique<LoweredPanels>(overlays_);
}

void StatusBarController::menuDidClose()
{
    lowered_.reset();
}

void StatusBarController::beginScreenshot(int delayMs)
{
    // The timer belongs to this object: it never fires after it is gone.
    QTimer::singleShot(delayMs, this, [this] {
        if (startCapture_)
            startCapture_();
    });
}

void StatusBarController::showAboutWindow()
{
    if (aboutWindow_ && aboutWindow_->isVisible()) {
        aboutWindow_->raise();
        aboutWindow_->activateWindow();
        return;
    }
    auto* window = new AboutWindow;
    // Closing it releases it; the pointer empties itself.
    window->setAttribute(Qt::WA_DeleteOnClose);
    aboutWindow_ = window;
    window->show();
    window->raise();
    window->activateWindow();
}

void StatusBarController::checkForUpdates()
{
    if (onCheckForUpdates)
        onCheckForUpdates();
}

} // namespace vellumbox
