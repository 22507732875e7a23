// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenshotOverlayView.h"

#include "CompactImage.h"
#include "EditModeMonitors.h"
#include "ImageFile.h"
#include "InteractionRules.h"
#include "PanelGeometry.h"
#include "RotatedImage.h"
#include "ScreenshotOverlayPanel.h"
#include "annotation/AnnotationCanvas.h"
#include "annotation/AnnotationRenderer.h"
#include "ocr/OCRSelectionView.h"
#include "platform/AlertPresenter.h"
#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/KeyState.h"
#include "platform/Logging.h"
#include "platform/SaveDialog.h"
#include "platform/SystemColors.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <array>

namespace vellumbox {

ScreenshotOverlayView::ScreenshotOverlayView(CompactImage* pixels, ScreenshotOverlayPanel* panel,
                                             const PlatformServices& services, QWidget* parent)
    : QWidget(parent)
    , pixels_(pixels)
    , panel_(panel)
    , services_(services)
{
    setCursor(Qt::OpenHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    connect(pixels, &CompactImage::compacted, this, [this] { displayed_ = QImage(); });
}

// Monitors go with the view, whatever ended it.
ScreenshotOverlayView::~ScreenshotOverlayView() = default;

QImage ScreenshotOverlayView::image() const
{
    return pixels_ ? pixels_->image() : QImage();
}

QImage ScreenshotOverlayView::displayedImage()
{
    if (displayed_.isNull() && pixels_) {
        const QImage pixels = pixels_->image();
        displayed_ = rotatedImage(pixels, rotationDegrees_, pixels.deviceIndependentSize()).image;
    }
    return displayed_;
}

QImage ScreenshotOverlayView::flattenedImage()
{
    // The picture as shown: the panel hands its rotation to applyRotation(), and the turned
    // copy is kept, so an export does not turn the pixels again.
    QImage base = displayedImage();
    if (!annotationCanvas_ || annotationCanvas_->annotations().isEmpty() || base.isNull())
        return base;
    // Drawn at the exported image's own pixels, so line widths follow its size; the
    // annotation in progress is not part of it.
    QImage flattened = base.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const qreal ratio = flattened.devicePixelRatio();
    flattened.setDevicePixelRatio(1.0);
    QPainter painter(&flattened);
    // Composited in one go when the canvas already drew them on this very pixel grid.
    if (const QImage layer = annotationCanvas_->finishedLayerFor(flattened.size());
        !layer.isNull()) {
        painter.drawImage(QPointF(0, 0), layer);
    } else {
        painter.setRenderHint(QPainter::Antialiasing);
        for (const Annotation& annotation : annotationCanvas_->annotations())
            renderAnnotation(annotation, painter, QSizeF(flattened.size()));
    }
    painter.end();
    flattened.setDevicePixelRatio(ratio);
    return flattened;
}

void ScreenshotOverlayView::enterEditMode(AnnotationToolType tool)
{
    if (!annotationCanvas_) {
        annotationCanvas_ = new AnnotationCanvas(this);
        annotationCanvas_->setGeometry(rect());
        annotationCanvas_->show();
    }
    annotationCanvas_->raise();
    annotationCanvas_->setActiveTool(tool);
    isEditing_ = true;
    if (panel_) {
        panel_->setInEditMode(true);
        panel_->raise();
        panel_->activateWindow();
    }
    annotationCanvas_->updateCursor();
    updateBorder();
    if (!monitors_)
        monitors_ = std::make_unique<EditModeMonitors>(*this, services_.globalInput);
}

void ScreenshotOverlayView::exitEditMode()
{
    if (!isEditing_)
        return;
    isEditing_ = false;
    if (annotationCanvas_)
        annotationCanvas_->setActiveTool(std::nullopt);
    if (panel_) {
        panel_->setInEditMode(false);
        panel_->resignKeyWindow();
    }
    if (monitors_) {
        // Possibly called from inside the monitors' own handler: stop them now, delete later.
        monitors_->remove();
        monitors_.release()->deleteLater();
    }
    setCursor(Qt::OpenHandCursor);
    updateBorder();
}

void ScreenshotOverlayView::clearEdits()
{
    if (annotationCanvas_)
        annotationCanvas_->clear();
}

void ScreenshotOverlayView::toolCursorOrFocusNeeded(bool focus)
{
    if (!isEditing_ || !annotationCanvas_)
        return;
    if (focus && panel_ && !panel_->isActiveWindow()) {
        panel_->raise();
        panel_->activateWindow();
    }
    annotationCanvas_->updateCursor();
}

void ScreenshotOverlayView::applyRotation(int degrees)
{
    rotationDegrees_ = degrees;
    displayed_ = QImage();
    update();
}

void ScreenshotOverlayView::updateBorder()
{
    border_.reset();
    const bool pinned = panel_ && panel_->isPinned();
    if (pinned || isEditing_) {
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()).adjusted(1.0, 1.0, -1.0, -1.0), 7.0, 7.0);
        // Edit mode wins over pinned.
        border_ = Border{path, isEditing_};
    }
    update();
}

void ScreenshotOverlayView::setContentOffset(qreal offset)
{
    contentOffset_ = offset;
    update();
}

void ScreenshotOverlayView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (roundedClip_) {
        QPainterPath clip;
        clip.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setClipPath(clip);
    }
    painter.translate(contentOffset_, 0.0);
    // Hard pixels at every zoom: no smoothing.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QImage shown = displayedImage();
    painter.drawImage(aspectFitRect(shown.size(), QRectF(rect())), shown);
    if (border_) {
        QPen pen(systemBlue(), borderWidth);
        if (border_->dashed)
            pen.setDashPattern({6.0 / borderWidth, 4.0 / borderWidth});
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(border_->path);
    }
}

void ScreenshotOverlayView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (annotationCanvas_)
        annotationCanvas_->setGeometry(rect());
    if (ocrSelectionView_)
        ocrSelectionView_->setGeometry(rect());
    updateBorder();
}

void ScreenshotOverlayView::mousePressEvent(QMouseEvent* event)
{
    // In edit mode the canvas on top takes the mouse.
    if (event->button() != Qt::LeftButton || isEditing_)
        return;
    if (panel_)
        panel_->activateWindow();
    setFocus(Qt::MouseFocusReason);
    mouseDownTime_ = services_.clock.nowMs();
    mouseDownLocation_ = event->position();
    lastGlobalPosition_ = event->globalPosition();
    isDragging_ = false;
    setCursor(Qt::ClosedHandCursor);
}

void ScreenshotOverlayView::mouseMoveEvent(QMouseEvent* event)
{
    if (!mouseDownLocation_)
        return;
    const QPointF delta = event->globalPosition() - lastGlobalPosition_;
    lastGlobalPosition_ = event->globalPosition();
    // Tested on every event against the window-relative position: the window follows the
    // pointer and trails it by up to the threshold.
    if (!isDragDistance(*mouseDownLocation_, event->position()))
        return;
    isDragging_ = true;
    if (panel_)
        panel_->move(panel_->pos() + delta.toPoint());
}

void ScreenshotOverlayView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    setCursor(Qt::OpenHandCursor);
    if (!isDragging_) {
        const qint64 elapsed = mouseDownTime_ ? services_.clock.nowMs() - *mouseDownTime_ : 0;
        if (isClickDuration(elapsed)) {
            if (!panel_)
                return;
            if (panel_->isPinned())
                panel_->shake();
            else
                panel_->dismiss();
        }
    }
    resetPress();
}

void ScreenshotOverlayView::resetPress()
{
    mouseDownTime_.reset();
    mouseDownLocation_.reset();
    isDragging_ = false;
}

void ScreenshotOverlayView::keyPressEvent(QKeyEvent* event)
{
    switch (keyCommandFor(event->key(), event->modifiers(), isCapsLockOn(*event), isEditing_,
                          annotationCanvas_ != nullptr)) {
    case KeyCommand::PassOn:
        QWidget::keyPressEvent(event);
        return;
    case KeyCommand::Swallow:
        return;
    case KeyCommand::Undo:
        if (annotationCanvas_)
            annotationCanvas_->undo();
        return;
    case KeyCommand::ExitEditMode:
        exitEditMode();
        return;
    case KeyCommand::Copy:
        copyToClipboard();
        return;
    case KeyCommand::Save:
        saveToFile();
        return;
    case KeyCommand::Close:
        if (panel_)
            panel_->dismiss();
        return;
    }
}

void ScreenshotOverlayView::contextMenuEvent(QContextMenuEvent* event)
{
    const std::unique_ptr<QMenu> menu = contextMenu();
    menu->exec(event->globalPos());
}

std::unique_ptr<QMenu> ScreenshotOverlayView::contextMenu()
{
    auto menu = std::make_unique<QMenu>();
    const QPointer<ScreenshotOverlayView> self(this);
    const auto act = [&self](void (ScreenshotOverlayView::*action)()) {
        return [self, action] {
            if (self)
                (self.data()->*action)();
        };
    };
    menu->addAction(QStringLiteral("Copy to Clipboard"),
                    act(&ScreenshotOverlayView::copyToClipboard));
    menu->addAction(QStringLiteral("Scan Text (OCR)"), act(&ScreenshotOverlayView::startOCR));
    menu->addAction(QStringLiteral("Save as File..."), act(&ScreenshotOverlayView::saveToFile));
    QMenu* shareMenu = menu->addMenu(QStringLiteral("Share"));
    for (const ShareTarget& target : services_.share.targets()) {
        shareMenu->addAction(target.icon, target.name, [self, target] {
            if (self)
                self->shareViaService(target);
        });
    }
    menu->addSeparator();
    const bool pinned = panel_ && panel_->isPinned();
    menu->addAction(pinned ? QStringLiteral("Unpin") : QStringLiteral("Pin"),
                    act(&ScreenshotOverlayView::togglePin));
    QMenu* resizeMenu = menu->addMenu(QStringLiteral("Resize"));
    for (const ResizePreset& preset : resizePresets(panel_ ? panel_->displayScale() : 1.0)) {
        QAction* item = resizeMenu->addAction(preset.title, [self, tag = preset.tag] {
            if (self)
                self->resizeAction(tag);
        });
        item->setEnabled(preset.enabled);
        item->setCheckable(preset.checked);
        item->setChecked(preset.checked);
    }
    QMenu* rotateMenu = menu->addMenu(QStringLiteral("Rotate"));
    rotateMenu->addAction(QStringLiteral("Rotate 90° Clockwise"),
                          act(&ScreenshotOverlayView::rotateClockwiseAction));
    rotateMenu->addAction(QStringLiteral("Rotate 90° Counter-Clockwise"),
                          act(&ScreenshotOverlayView::rotateCounterClockwiseAction));
    menu->addSeparator();
    menu->addAction(QStringLiteral("Close All Screenshots"),
                    act(&ScreenshotOverlayView::closeAllScreenshots));
    QMenu* editMenu = menu->addMenu(QStringLiteral("Edit"));
    const std::array<std::pair<const char*, AnnotationToolType>, 5> tools{
        {{"Pencil", AnnotationToolType::pencil},
         {"Circle", AnnotationToolType::circle},
         {"Square", AnnotationToolType::square},
         {"Arrow", AnnotationToolType::arrow},
         {"Highlight", AnnotationToolType::highlight}}};
    for (const auto& [title, tool] : tools) {
        editMenu->addAction(QString::fromLatin1(title), [self, tool = tool] {
            if (self)
                self->enterEditMode(tool);
        });
    }
    editMenu->addSeparator();
    editMenu->addAction(QStringLiteral("Clear Edits"), act(&ScreenshotOverlayView::clearEdits));
    if (isEditing_)
        editMenu->addAction(QStringLiteral("Exit Edit Mode"),
                            act(&ScreenshotOverlayView::exitEditMode));
    menu->addAction(QStringLiteral("Close"), act(&ScreenshotOverlayView::closeThisScreenshot));
    return menu;
}

void ScreenshotOverlayView::copyToClipboard()
{
    exitEditMode();
    services_.clipboard.setImage(flattenedImage());
    if (panel_)
        panel_->flash();
}

void ScreenshotOverlayView::saveToFile()
{
    exitEditMode();
    const QPointer<ScreenshotOverlayView> self(this);
    services_.saveDialog.ask(defaultScreenshotName(services_.clock.currentDateTime(), QLocale()),
                             [self](const std::optional<QString>& path) {
                                 // The screenshot may have closed while the dialog was open:
                                 // nothing to save.
                                 if (self && path && !path->isEmpty())
                                     self->finishSave(*path);
                             });
}

void ScreenshotOverlayView::shareViaService(const ShareTarget& target)
{
    exitEditMode();
    if (const std::optional<QString> failure = services_.share.share(target, flattenedImage())) {
        qCWarning(lcOverlay).noquote() << QStringLiteral("Sharing failed: %1").arg(*failure);
        services_.alerts.runModal(
            {AlertStyle::Warning, QStringLiteral("Share Failed"), *failure, {}});
        return;
    }
    if (panel_)
        panel_->flash();
}

void ScreenshotOverlayView::finishSave(const QString& path)
{
    if (const std::optional<QString> failure = writeImageFile(flattenedImage(), path)) {
        services_.alerts.runModal(
            {AlertStyle::Warning, QStringLiteral("Save Failed"), *failure, {}});
        return;
    }
    if (panel_)
        panel_->flash();
}

void ScreenshotOverlayView::togglePin()
{
    exitEditMode();
    if (!panel_)
        return;
    panel_->setPinned(!panel_->isPinned());
    updateBorder();
}

void ScreenshotOverlayView::resizeAction(int percent)
{
    exitEditMode();
    if (panel_)
        panel_->setDisplayScale(percent / 100.0);
}

void ScreenshotOverlayView::rotateClockwiseAction()
{
    exitEditMode();
    if (panel_)
        panel_->rotate(90);
}

void ScreenshotOverlayView::rotateCounterClockwiseAction()
{
    exitEditMode();
    if (panel_)
        panel_->rotate(-90);
}

void ScreenshotOverlayView::closeThisScreenshot()
{
    if (panel_)
        panel_->dismiss();
}

void ScreenshotOverlayView::closeAllScreenshots()
{
    if (onCloseAll)
        onCloseAll();
}

void ScreenshotOverlayView::startOCR()
{
    if (isEditing_)
        exitEditMode();
    if (ocrSelectionView_)
        return;
    const QImage img = flattenedImage();
    auto* selection = new OCRSelectionView(
        img, {services_.textRecognizer, services_.alerts, services_.clipboard, lowerAllPanels},
        this);
    selection->setGeometry(rect());
    const QPointer<ScreenshotOverlayView> self(this);
    const QPointer<OCRSelectionView> weakSelection(selection);
    selection->imageFrame = [self] {
        return self ? aspectFitRect(QSizeF(self->displayedImage().size()), QRectF(self->rect()))
                    : QRectF();
    };
    // Removes only the selection it belongs to: a late report must not end a newer one.
    selection->onComplete = [self, weakSelection] {
        if (!self || !weakSelection || self->ocrSelectionView_ != weakSelection)
            return;
        self->ocrSelectionView_ = nullptr;
        weakSelection->hide();
        weakSelection->deleteLater();
        self->setCursor(Qt::ArrowCursor);
    };
    ocrSelectionView_ = selection;
    selection->show();
    selection->raise();
    if (panel_) {
        panel_->raise();
        panel_->activateWindow();
    }
    selection->setFocus(Qt::OtherFocusReason);
    // Bringing the panel forward may reset the cursor.
    QTimer::singleShot(50, selection, [selection] { selection->setCursor(Qt::CrossCursor); });
}

} // namespace vellumbox
