// SPDX-License-Identifier: GPL-3.0-or-later
#include "OnboardingWindowController.h"

#include "VellumboxLogoView.h"
#include "platform/DesktopShortcuts.h"
#include "platform/ScreenRecordingPermission.h"
#include "platform/Settings.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace vellumbox {

void markOnboardingComplete(Settings& settings, const std::function<void()>& showLoginItemPrompt)
{
    if (settings.boolValue(settings_keys::hasCompletedOnboarding))
        return;
    settings.setBoolValue(settings_keys::hasCompletedOnboarding, true);
    if (showLoginItemPrompt)
        showLoginItemPrompt();
}

OnboardingWindowController::OnboardingWindowController(
    Settings& settings, ScreenRecordingPermission& permission, DesktopShortcuts& shortcuts,
    std::function<void()> showLoginItemPrompt, std::function<void()> openScreenRecordingSettings)
    : settings_(settings)
    , permission_(permission)
    , shortcuts_(shortcuts)
    , showLoginItemPrompt_(std::move(showLoginItemPrompt))
    , openScreenRecordingSettings_(std::move(openScreenRecordingSettings))
{
    // Qt closes every window when the application quits (Quit in the tray, SIGTERM).
    if (QCoreApplication* application = QCoreApplication::instance())
        application->installEventFilter(this);
}

bool OnboardingWindowController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit)
        quitting_ = true;
    return false;
}

OnboardingWindowController::~OnboardingWindowController() = default;

void OnboardingWindowController::showOnboarding()
{
    if (settings_.boolValue(settings_keys::hasCompletedOnboarding))
        return;
    auto window = std::make_unique<OnboardingWindow>();
    QWidget* content = window.get();
    auto* row = new QWidget(content);
    row->setGeometry(30, 312, 400, 28);
    const bool granted = permission_.preflight();
    statusImageView_ = new PermissionSymbol(row);
    statusImageView_->setGeometry(row->width() / 2 - 100, 4, 20, 20);
    statusLabel_ = new QLabel(row);
    QFont statusFont = statusLabel_->font();
    statusFont.setPixelSize(13);
    statusFont.setWeight(QFont::Medium);
    statusLabel_->setFont(statusFont);
    statusLabel_->setGeometry(row->width() / 2 - 74, 4, 200, 20);

    // The two buttons share the band under the status row, one above the other.
    grantButton_ = new QPushButton(content);
    grantButton_->setGeometry(100, 342, 260, 36);
    connect(grantButton_, &QPushButton::clicked, this,
            &OnboardingWindowController::grantPermission);
    continueButton_ = new QPushButton(content);
    continueButton_->setGeometry(120, 380, 220, 36);
    connect(continueButton_, &QPushButton::clicked, this,
            &OnboardingWindowController::completeOnboarding);
    applyState(granted);
    addShortcutOffer(content);

    connect(window.get(), &OnboardingWindow::willClose, this, [this] {
        stopPolling();
        // Closed by the program's end, not by the user: the first run is not over, and a
        // prompt now would hold the ending process in its dialog.
        if (!quitting_)
            markComplete();
    });
    window_ = std::move(window);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window_->move(area.center() - QPoint(window_->width() / 2, window_->height() / 2));
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
    if (!granted)
        startPermissionPolling();
}

void OnboardingWindowController::addShortcutOffer(QWidget* content)
{
    const ShortcutOffer offer = shortcuts_.offer();
    if (offer.kind == ShortcutOffer::Kind::None)
        return;
    content->setFixedSize(onboardingWindowWidth, onboardingWindowHeight + shortcutRowHeight);
    shortcutLabel_ = new QLabel(content);
    shortcutLabel_->setGeometry(30, onboardingWindowHeight, 400, 36);
    shortcutLabel_->setWordWrap(true);
    shortcutLabel_->setAlignment(Qt::AlignCenter);
    if (offer.kind == ShortcutOffer::Kind::Gnome) {
        shortcutLabel_->setText(tr("In this session Ctrl+Shift+9 reaches only Vellumbox's own "
                                   "windows, unless GNOME knows it."));
        shortcutButton_ = new QPushButton(tr("Add Ctrl+Shift+9 to GNOME's Shortcuts"), content);
        shortcutButton_->setGeometry(100, onboardingWindowHeight + 40, 260, 32);
        connect(shortcutButton_, &QPushButton::clicked, this,
                &OnboardingWindowController::addDesktopShortcut);
        return;
    }
    shortcutLabel_->setText(
        tr("For Ctrl+Shift+9 from any window, add this line to your sway configuration:"));
    shortcutLine_ = new QLineEdit(offer.line, content);
    shortcutLine_->setReadOnly(true);
    shortcutLine_->setGeometry(30, onboardingWindowHeight + 40, 400, 28);
}

void OnboardingWindowController::addDesktopShortcut()
{
    const std::optional<QString> failure = shortcuts_.add();
    if (failure) {
        shortcutLabel_->setText(tr("Could not add the shortcut: %1").arg(*failure));
        return;
    }
    shortcutLabel_->setText(tr("Ctrl+Shift+9 now takes a screenshot from any window."));
    shortcutButton_->setText(tr("Shortcut Added"));
    shortcutButton_->setEnabled(false);
}

void OnboardingWindowController::applyState(bool granted)
{
    if (statusImageView_)
        statusImageView_->setGranted(granted);
    if (statusLabel_) {
        statusLabel_->setText(granted ? tr("Screen Recording: Granted")
                                      : tr("Screen Recording: Not Granted"));
        QPalette palette = statusLabel_->palette();
        palette.setColor(QPalette::WindowText, PermissionSymbol::colour(granted));
        statusLabel_->setPalette(palette);
    }
    if (grantButton_) {
        grantButton_->setEnabled(!granted);
        grantButton_->setText(granted ? tr("Permission Granted")
                                      : tr("Grant Screen Recording Access…"));
    }
    if (continueButton_) {
        continueButton_->setText(granted ? tr("Get Started") : tr("Continue Without Permission"));
        continueButton_->setDefault(granted);
        if (auto* window = qobject_cast<OnboardingWindow*>(continueButton_->window()))
            window->returnButton = granted ? continueButton_.data() : nullptr;
    }
}

void OnboardingWindowController::grantPermission()
{
    permission_.request();
    if (openScreenRecordingSettings_)
        openScreenRecordingSettings_();
}

void OnboardingWindowController::completeOnboarding()
{
    markComplete();
    if (window_)
        window_->close();
}

void OnboardingWindowController::markComplete()
{
    markOnboardingComplete(settings_, showLoginItemPrompt_);
}

void OnboardingWindowController::startPermissionPolling()
{
    stopPolling();
    auto* timer = new QTimer(this);
    timer->setInterval(pollIntervalMs);
    connect(timer, &QTimer::timeout, this, &OnboardingWindowController::checkPermission);
    timer->start();
    permissionCheckTimer_ = timer;
}

void OnboardingWindowController::stopPolling()
{
    if (permissionCheckTimer_) {
        permissionCheckTimer_->stop();
        permissionCheckTimer_->deleteLater();
    }
    permissionCheckTimer_ = nullptr;
}

void OnboardingWindowController::checkPermission()
{
    if (!permission_.preflight())
        return;
    stopPolling();
    applyState(true);
}

} // namespace vellumbox
