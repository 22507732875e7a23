// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenshotOverlayPanel.h"

#include "CompactImage.h"
#include "EditModeMonitors.h"
#include "InteractionRules.h"
#include "PanelGeometry.h"
#include "RotatedImage.h"
#include "ScreenshotMenu.h"
#include "ScreenshotOverlayView.h"
#include "annotation/AnnotationCanvas.h"
#include "ocr/OCRSelectionView.h"
#include "platform/GlobalInputMonitor.h"
#include "platform/KeyState.h"
#include "platform/WindowSystem.h"

#include <QCursor>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
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
                                               const OverlayServices& services)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::NoDropShadowWindowHint)
    , services_(services)
    , exporter_(services.exporting)
    , pixels_(new CompactImage(std::move(image), this))
    , captureRect_(captureRect)
    , targetFrame_(captureRect)
    , translucent_(services.windows.compositingActive())
{
    // Not translated: window rules and tools find the window by this name.
    setWindowTitle(QStringLiteral("Vellumbox Screenshot"));
    // Where the manager would centre it and keep it on one workspace, the panel places itself,
    // above every window and on every workspace, as the selection does.
    // An ordinary window type: the compositor gives the keyboard to an unmanaged utility window
    // never, to an ordinary one on a click.
    if (!services.windows.honoursPlacement())
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                       Qt::X11BypassWindowManagerHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Without a compositor a translucent window shows black corners: a shape mask cuts them.
    setAttribute(Qt::WA_TranslucentBackground, translucent_);
    setWindowOpacity(0.0);
    setGeometry(captureRect.toRect());
    view_ = new ScreenshotOverlayView(services.exporting.clock, this);
    view_->setRoundedClip(translucent_);
    view_->setGeometry(rect());
    connectView();
    connect(pixels_, &CompactImage::compacted, this, [this] { displayed_ = QImage(); });
    updateMask();
}

// Monitors go with the panel, whatever ended it.
ScreenshotOverlayPanel::~ScreenshotOverlayPanel()
{
    releaseKeyboardHold();
}

void ScreenshotOverlayPanel::holdKeyboard()
{
    // Beside the window manager (sway) no window of this program ever has the X focus: after a
    // press the panel holds the keyboard until a button is pressed anywhere else.
    if (services_.windows.honoursPlacement())
        return;
    view_->grabKeyboard();
    if (keyboardHold_ >= 0)
        return;
    const QPointer<ScreenshotOverlayPanel> self(this);
    keyboardHold_ = services_.globalInput.subscribe([self](GlobalInput input) {
        if (input != GlobalInput::ButtonPressed || !self)
            return;
        QTimer::singleShot(0, self, [self] {
            if (self && !self->frameGeometry().contains(QCursor::pos()))
                self->releaseKeyboardHold();
        });
    });
}

void ScreenshotOverlayPanel::releaseKeyboardHold()
{
    view_->releaseKeyboard();
    if (keyboardHold_ >= 0)
        services_.globalInput.unsubscribe(keyboardHold_);
    keyboardHold_ = -1;
}

void ScreenshotOverlayPanel::connectView()
{
    view_->picture = [this] { return displayedImage(); };
    view_->onKey = [this](const QKeyEvent& event) { return handleKey(event); };
    connect(view_, &ScreenshotOverlayView::pressed, this, [this] {
        activateWindow();
        holdKeyboard();
    });
    connect(view_, &ScreenshotOverlayView::clicked, this, &ScreenshotOverlayPanel::clicked);
    connect(view_, &ScreenshotOverlayView::dragged, this,
            [this](QPoint delta) { move(pos() + delta); });
    connect(view_, &ScreenshotOverlayView::contextMenuRequested, this, [this](QPoint at) {
        const std::unique_ptr<QMenu> menu = contextMenu();
        menu->exec(at);
    });
}

void ScreenshotOverlayPanel::clicked()
{
    if (isPinned_)
        shake();
    else
        dismiss();
}

bool ScreenshotOverlayPanel::handleKey(const QKeyEvent& event)
{
    switch (keyCommandFor(event.key(), event.modifiers(), isCapsLockOn(event), isInEditMode_,
                          annotationCanvas_ != nullptr)) {
    case KeyCommand::PassOn:
        return false;
    case KeyCommand::Swallow:
        return true;
    case KeyCommand::Undo:
        if (annotationCanvas_)
            annotationCanvas_->undo();
        return true;
    case KeyCommand::ExitEditMode:
        exitEditMode();
        return true;
    case KeyCommand::Copy:
        copyToClipboard();
        return true;
    case KeyCommand::Save:
        saveToFile();
        return true;
    case KeyCommand::Close:
        dismiss();
        return true;
    }
    return false;
}

QImage ScreenshotOverlayPanel::screenshotImage() const
{
    return pixels_->image();
}

QImage ScreenshotOverlayPanel::displayedImage()
{
    if (displayed_.isNull())
        displayed_ = rotatedImage(pixels_->image(), rotationDegrees_);
    return displayed_;
}

QImage ScreenshotOverlayPanel::flattenedImage()
{
    // The turned copy is kept, so an export does not turn the pixels again.
    return flattenedScreenshot(displayedImage(), annotationCanvas_);
}

void ScreenshotOverlayPanel::show()
{
    // The manager reads the window's type when it is mapped.
    if (!isVisible() && services_.windows.honoursPlacement()) {
        winId();
        floatsAboveAll_ = services_.windows.floatAboveFullScreen(windowHandle());
    }
    QWidget::show();
    services_.windows.makeSticky(windowHandle());
    fadeTo(1.0, fadeInMs, nullptr);
}

void ScreenshotOverlayPanel::dismiss()
{
    exitEditMode();
    releaseKeyboardHold();
    const QPointer<ScreenshotOverlayPanel> self(this);
    fadeTo(0.0, fadeOutMs, [self] {
        if (self && self->onFadeOutFinished)
            self->onFadeOutFinished(self);
    });
}

void ScreenshotOverlayPanel::setDisplayScale(double scale)
{
    exitEditMode();
    const auto frame =
        displayScaleFrame(targetFrame_, captureRect_.size(), scale, rotationDegrees_);
    if (!frame)
        return;
    displayScale_ = scale;
    animateFrame(*frame);
}

void ScreenshotOverlayPanel::rotate(int degrees)
{
    exitEditMode();
    rotationDegrees_ = normalisedRotation(rotationDegrees_ + degrees + 360);
    animateFrame(rotatedFrame(targetFrame_, captureRect_.size(), displayScale_, rotationDegrees_));
    displayed_ = QImage();
    view_->update();
    // An open scan reads the picture as it is shown now.
    if (scanSelection_)
        scanSelection_->setScreenshotImage(flattenedImage());
}

void ScreenshotOverlayPanel::togglePin()
{
    exitEditMode();
    isPinned_ = !isPinned_;
    updateBorder();
}

void ScreenshotOverlayPanel::updateBorder()
{
    // Edit mode wins over pinned.
    using Style = ScreenshotOverlayView::BorderStyle;
    view_->setBorderStyle(isInEditMode_ ? Style::Dashed : isPinned_ ? Style::Solid : Style::None);
}

void ScreenshotOverlayPanel::shake()
{
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
    // Nothing managed can cover a window that bypasses the manager or floats above full-screen
    // windows: it steps aside instead.
    if (!services_.windows.honoursPlacement() || floatsAboveAll_) {
        setVisible(above);
        return;
    }
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
    view_->setGeometry(rect());
    if (annotationCanvas_)
        annotationCanvas_->setGeometry(view_->rect());
    if (scanSelection_)
        scanSelection_->setGeometry(view_->rect());
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

void ScreenshotOverlayPanel::bringForward()
{
    raise();
    activateWindow();
}

void ScreenshotOverlayPanel::enterEditMode(AnnotationToolType tool)
{
    if (!annotationCanvas_) {
        annotationCanvas_ = new AnnotationCanvas(view_);
        annotationCanvas_->setGeometry(view_->rect());
        annotationCanvas_->show();
    }
    annotationCanvas_->raise();
    annotationCanvas_->setActiveTool(tool);
    isInEditMode_ = true;
    bringForward();
    annotationCanvas_->updateCursor();
    updateBorder();
    if (!monitors_)
        monitors_ = std::make_unique<EditModeMonitors>(*this, services_.globalInput);
}

void ScreenshotOverlayPanel::exitEditMode()
{
    if (!isInEditMode_)
        return;
    isInEditMode_ = false;
    if (annotationCanvas_)
        annotationCanvas_->setActiveTool(std::nullopt);
    resignKeyWindow();
    if (monitors_) {
        // Possibly called from inside the monitors' own handler: stop them now, delete later.
        monitors_->remove();
        monitors_.release()->deleteLater();
    }
    view_->setCursor(Qt::OpenHandCursor);
    updateBorder();
}

void ScreenshotOverlayPanel::clearEdits()
{
    if (annotationCanvas_)
        annotationCanvas_->clear();
}

void ScreenshotOverlayPanel::toolCursorOrFocusNeeded(bool focus)
{
    if (!isInEditMode_ || !annotationCanvas_)
        return;
    if (focus && !isActiveWindow())
        bringForward();
    annotationCanvas_->updateCursor();
}

void ScreenshotOverlayPanel::copyToClipboard()
{
    exitEditMode();
    exporter_.copy(flattenedImage());
    flash();
}

void ScreenshotOverlayPanel::saveToFile()
{
    exitEditMode();
    const QPointer<ScreenshotOverlayPanel> self(this);
    exporter_.save(
        this, [self] { return self ? self->flattenedImage() : QImage(); },
        [self] {
            if (self)
                self->flash();
        });
}

void ScreenshotOverlayPanel::share(const ShareTarget& target)
{
    exitEditMode();
    if (exporter_.share(target, flattenedImage()))
        flash();
}

void ScreenshotOverlayPanel::startScan()
{
    exitEditMode();
    if (scanSelection_)
        return;
    auto* selection = new OCRSelectionView(flattenedImage(),
                                           {services_.textRecognizer, services_.exporting.alerts,
                                            services_.exporting.clipboard, lowerAllPanels},
                                           view_);
    selection->setGeometry(view_->rect());
    const QPointer<ScreenshotOverlayPanel> self(this);
    const QPointer<OCRSelectionView> weakSelection(selection);
    selection->imageFrame = [self] { return self ? self->view_->pictureFrame() : QRectF(); };
    // Removes only the selection it belongs to: a late report must not end a newer one.
    selection->onComplete = [self, weakSelection] {
        if (!self || !weakSelection || self->scanSelection_ != weakSelection)
            return;
        self->scanSelection_ = nullptr;
        weakSelection->hide();
        weakSelection->deleteLater();
        // The selection's crosshair goes with it; the screenshot shows its own hand again.
        self->view_->setCursor(Qt::OpenHandCursor);
    };
    scanSelection_ = selection;
    selection->show();
    selection->raise();
    bringForward();
    selection->setFocus(Qt::OtherFocusReason);
    // Bringing the panel forward may reset the cursor.
    QTimer::singleShot(50, selection, [selection] { selection->setCursor(Qt::CrossCursor); });
}

std::unique_ptr<QMenu> ScreenshotOverlayPanel::contextMenu()
{
    // The menu may outlive the panel (closed from elsewhere while it is open).
    const QPointer<ScreenshotOverlayPanel> self(this);
    const auto act = [self](auto action) {
        return [self, action](auto... args) {
            if (self)
                std::invoke(action, self.data(), args...);
        };
    };
    ScreenshotMenuActions actions{
        .copy = act(&ScreenshotOverlayPanel::copyToClipboard),
        .scanText = act(&ScreenshotOverlayPanel::startScan),
        .save = act(&ScreenshotOverlayPanel::saveToFile),
        .share = act(&ScreenshotOverlayPanel::share),
        .togglePin = act(&ScreenshotOverlayPanel::togglePin),
        .resize =
            [self](int percent) {
                if (self)
                    self->setDisplayScale(percent / 100.0);
            },
        .rotate = act(&ScreenshotOverlayPanel::rotate),
        .closeAll =
            [self] {
                if (self && self->onCloseAll)
                    self->onCloseAll();
            },
        .edit = act(&ScreenshotOverlayPanel::enterEditMode),
        .clearEdits = act(&ScreenshotOverlayPanel::clearEdits),
        .exitEditMode = act(&ScreenshotOverlayPanel::exitEditMode),
        .close = act(&ScreenshotOverlayPanel::dismiss),
    };
    return buildScreenshotMenu({isPinned_, isInEditMode_, displayScale_, exporter_.shareTargets()},
                               actions);
}

} // namespace vellumbox
