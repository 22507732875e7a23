// SPDX-License-Identifier: GPL-3.0-or-later
#include "OnboardingWindowController.h"

#include "VellumboxLogoView.h"
#include "platform/ScreenRecordingPermission.h"
#include "platform/Settings.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace vellumbox {

namespace {

constexpr int windowWidth = 460;
constexpr int windowHeight = 420;

const QColor systemRed(255, 59, 48);
const QColor systemGreen(40, 167, 69);

// Sizes in logical pixels, one per point of the layout.
QLabel* addLabel(QWidget* parent, const QString& text, const QRect& frame, int pointSize,
                 QFont::Weight weight, bool secondary)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPixelSize(pointSize);
    font.setWeight(weight);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    if (secondary)
        label->setForegroundRole(QPalette::PlaceholderText);
    label->setGeometry(frame);
    return label;
}

} // namespace

void markOnboardingComplete(Settings& settings, const std::function<void()>& showLoginItemPrompt)
{
    if (settings.boolValue(settings_keys::hasCompletedOnboarding))
        return;
    settings.setBoolValue(settings_keys::hasCompletedOnboarding, true);
    if (showLoginItemPrompt)
        showLoginItemPrompt();
}

OnboardingWindow::OnboardingWindow()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Welcome to Vellumbox"));
    setFixedSize(windowWidth, windowHeight);
}

void OnboardingWindow::closeEvent(QCloseEvent* event)
{
    Q_EMIT willClose();
    // Kept, not destroyed: its controller owns it for the rest of the run.
    event->accept();
}

void OnboardingWindow::keyPressEvent(QKeyEvent* event)
{
    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (isReturn && event->modifiers() == Qt::NoModifier && returnButton &&
        returnButton->isEnabled()) {
        returnButton->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void OnboardingWindow::mousePressEvent(QMouseEvent* event)
{
    // The background moves the window, as its title bar would.
    if (event->button() == Qt::LeftButton && windowHandle() && windowHandle()->startSystemMove())
        return;
    QWidget::mousePressEvent(event);
}

PermissionSymbol::PermissionSymbol(QWidget* parent)
    : QWidget(parent)
{}

void PermissionSymbol::setGranted(bool granted)
{
    granted_ = granted;
    setAccessibleDescription(granted ? QStringLiteral("Granted") : QStringLiteral("Not granted"));
    update();
}

void PermissionSymbol::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(1, 1, -1, -1);
    painter.setPen(Qt::NoPen);
    painter.setBrush(granted_ ? systemGreen : systemRed);
    painter.drawEllipse(box);
    QPen mark(Qt::white, box.width() * 0.12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(mark);
    painter.setBrush(Qt::NoBrush);
    const QPointF c = box.center();
    const qreal r = box.width() * 0.22;
    if (granted_) {
        QPainterPath tick;
        tick.moveTo(c + QPointF(-r, 0));
        tick.lineTo(c + QPointF(-r * 0.25, r * 0.75));
        tick.lineTo(c + QPointF(r * 1.05, -r * 0.7));
        painter.drawPath(tick);
    } else {
        painter.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
        painter.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
    }
}

OnboardingWindowController::OnboardingWindowController(
    Settings& settings, ScreenRecordingPermission& permission,
    std::function<void()> showLoginItemPrompt, std::function<void()> openScreenRecordingSettings)
    : settings_(settings)
    , permission_(permission)
    , showLoginItemPrompt_(std::move(showLoginItemPrompt))
    , openScreenRecordingSettings_(std::move(openScreenRecordingSettings))
{}

OnboardingWindowController::~OnboardingWindowController() = default;

void OnboardingWindowController::showOnboarding()
{
    if (settings_.boolValue(settings_keys::hasCompletedOnboarding))
        return;
    auto window = std::make_unique<OnboardingWindow>();
    QWidget* content = window.get();
    // Frames as on a y-down page: top = 420 - (y + height) of a bottom-up layout.
    auto* logo = new VellumboxLogoView(content);
    logo->setGeometry(194, 30, 72, 72);
    addLabel(content, QStringLiteral("Vellumbox"), QRect(0, 114, 460, 28), 22, QFont::DemiBold,
             false);
    addLabel(content, QStringLiteral("Capture. Float. Annotate."), QRect(0, 148, 460, 18), 13,
             QFont::Normal, true);
    auto* separator = new QFrame(content);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setGeometry(30, 185, 400, 1);
    addLabel(content, QStringLiteral("One Quick Setup Step"), QRect(0, 210, 460, 20), 15,
             QFont::DemiBold, false);
    QLabel* explanation = addLabel(
        content,
        QStringLiteral("Vellumbox needs Screen Recording permission to capture screenshots. "
                       "This is a desktop security requirement — your screen content stays on "
                       "your computer and is never sent anywhere."),
        QRect(30, 240, 400, 56), 12, QFont::Normal, true);
    explanation->setWordWrap(true);

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

    connect(window.get(), &OnboardingWindow::willClose, this, [this] {
        stopPolling();
        markComplete();
    });
    window_ = std::move(window);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window_->move(area.center() - QPoint(windowWidth / 2, windowHeight / 2));
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
    if (!granted)
        startPermissionPolling();
}

void OnboardingWindowController::applyState(bool granted)
{
    if (statusImageView_)
        statusImageView_->setGranted(granted);
    if (statusLabel_) {
        statusLabel_->setText(granted ? QStringLiteral("Screen Recording: Granted")
                                      : QStringLiteral("Screen Recording: Not Granted"));
        QPalette palette = statusLabel_->palette();
        palette.setColor(QPalette::WindowText, granted ? systemGreen : systemRed);
        statusLabel_->setPalette(palette);
    }
    if (grantButton_) {
        grantButton_->setEnabled(!granted);
        grantButton_->setText(granted ? QStringLiteral("Permission Granted")
                                      : QStringLiteral("Grant Screen Recording Access…"));
    }
    if (continueButton_) {
        continueButton_->setText(granted ? QStringLiteral("Get Started")
                                         : QStringLiteral("Continue Without Permission"));
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
