// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenshotOverlayPanel.h"

#include "CompactImage.h"
#include "PanelGeometry.h"
#include "ScreenshotOverlayView.h"
#include "platform/WindowSystem.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QTimer>
#include <QWindow>

namespace vellumbox {

namespace {

// A white veil over the content that fades away: the feedback of copy, save and share.
class FlashView final : public QWidget {
public:
    explicit FlashView(QWidget* parent)
        : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(parent->rect());
    }
    void setAlpha(qreal alpha)
    {
        alpha_ = alpha;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor::fromRgbF(1.0, 1.0, 1.0, static_cast<float>(alpha_)));
        painter.drawRoundedRect(QRectF(rect()), ScreenshotOverlayView::cornerRadius,
                                ScreenshotOverlayView::cornerRadius);
    }

private:
    qreal alpha_ = 0.5;
};

} // namespace

ScreenshotOverlayPanel::ScreenshotOverlayPanel(QImage image, const QRectF& captureRect,
                                               const PlatformServices& services)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::NoDropShadowWindowHint)
    , services_(services)
    , screenshotImage_(new CompactImage(std::move(image), this))
    , captureRect_(captureRect)
    , targetFrame_(captureRect)
    , translucent_(services.windows.compositingActive())
{
    setWindowTitle(QStringLiteral("Vellumbox Screenshot"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Without a compositor a translucent window shows black corners: a shape mask cuts them.
    setAttribute(Qt::WA_TranslucentBackground, translucent_);
    setWindowOpacity(0.0);
    setGeometry(captureRect.toRect());
    view_ = new ScreenshotOverlayView(screenshotImage_, this, services_, this);
    view_->setRoundedClip(translucent_);
    view_->setGeometry(rect());
    updateMask();
}

ScreenshotOverlayPanel::~ScreenshotOverlayPanel() = default;

QImage ScreenshotOverlayPanel::screenshotImage() const
{
    return screenshotImage_->image();
}

void ScreenshotOverlayPanel::show()
{
    QWidget::show();
    services_.windows.makeSticky(windowHandle());
    fadeTo(1.0, fadeInMs, nullptr);
}

void ScreenshotOverlayPanel::dismiss()
{
    if (view_ && view_->isEditing())
        view_->exitEditMode();
    const QPointer<ScreenshotOverlayPanel> self(this);
    fadeTo(0.0, fadeOutMs, [self] {
        if (self && self->onFadeOutFinished)
            self->onFadeOutFinished(self);
    });
}

void ScreenshotOverlayPanel::setDisplayScale(double scale)
{
    const auto frame =
        displayScaleFrame(targetFrame_, captureRect_.size(), scale, rotationDegrees_);
    if (!frame)
        return;
    displayScale_ = scale;
    animateFrame(*frame);
}

void ScreenshotOverlayPanel::rotate(int degrees)
{
    rotationDegrees_ = normalisedRotation(rotationDegrees_ + degrees + 360);
    if (!view_)
        return;
    animateFrame(rotatedFrame(targetFrame_, captureRect_.size(), displayScale_, rotationDegrees_));
    view_->applyRotation(rotationDegrees_);
}

void ScreenshotOverlayPanel::shake()
{
    if (!view_)
        return;
    if (shake_)
        shake_->stop();
    auto* animation = new QVariantAnimation(this);
    animation->setDuration(shakeMs);
    animation->setKeyValues(
        {{0.0, 0.0}, {0.15, -5.0}, {0.35, 5.0}, {0.55, -5.0}, {0.75, 5.0}, {1.0, 0.0}});
    const QPointer<ScreenshotOverlayView> view(view_);
    connect(animation, &QVariantAnimation::valueChanged, this, [view](const QVariant& value) {
        if (view)
            view->setContentOffset(value.toReal());
    });
    shake_ = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void ScreenshotOverlayPanel::flash()
{
    if (!view_)
        return;
    auto* veil = new FlashView(view_);
    veil->show();
    veil->raise();
    auto* animation = new QVariantAnimation(veil);
    animation->setDuration(flashMs);
    animation->setStartValue(0.5);
    animation->setEndValue(0.0);
    connect(animation, &QVariantAnimation::valueChanged, veil,
            [veil](const QVariant& value) { veil->setAlpha(value.toReal()); });
    connect(animation, &QVariantAnimation::finished, veil, &QObject::deleteLater);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void ScreenshotOverlayPanel::setLevel(WindowLevel level)
{
    level_ = level;
    const bool above = level == WindowLevel::Floating;
    // Toggling the flag on the QWindow keeps the same native window; QWidget::setWindowFlag
    // would hide and re-create it.
    if (QWindow* window = windowHandle())
        window->setFlag(Qt::WindowStaysOnTopHint, above);
    else
        setWindowFlag(Qt::WindowStaysOnTopHint, above);
}

void ScreenshotOverlayPanel::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        resignKeyWindow();
}

void ScreenshotOverlayPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (view_)
        view_->setGeometry(rect());
    updateMask();
}

void ScreenshotOverlayPanel::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    // Moved from outside (by the user or the window manager): later zooms centre on the
    // new place. The frame animation's own steps keep the exact target.
    const bool animating =
        frameAnimation_ && frameAnimation_->state() == QAbstractAnimation::Running;
    if (!animating && geometry() != targetFrame_.toRect())
        targetFrame_ = QRectF(geometry());
}

void ScreenshotOverlayPanel::resignKeyWindow()
{
    // Whatever lowered the panel meanwhile, it floats again shortly after losing the focus.
    QTimer::singleShot(levelRestoreDelayMs, this, [this] { setLevel(WindowLevel::Floating); });
}

void ScreenshotOverlayPanel::animateFrame(const QRectF& frame)
{
    targetFrame_ = frame;
    if (frameAnimation_)
        frameAnimation_->stop();
    auto* animation = new QPropertyAnimation(this, "geometry", this);
    animation->setDuration(frameChangeMs);
    animation->setStartValue(geometry());
    animation->setEndValue(frame.toRect());
    frameAnimation_ = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void ScreenshotOverlayPanel::fadeTo(qreal opacity, int durationMs, std::function<void()> finished)
{
    if (fade_)
        fade_->stop();
    auto* animation = new QPropertyAnimation(this, "windowOpacity", this);
    animation->setDuration(durationMs);
    animation->setEndValue(opacity);
    if (finished)
        connect(animation, &QPropertyAnimation::finished, this, std::move(finished));
    fade_ = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void ScreenshotOverlayPanel::updateMask()
{
    if (translucent_)
        return;
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), ScreenshotOverlayView::cornerRadius,
                        ScreenshotOverlayView::cornerRadius);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}

} // namespace vellumbox
