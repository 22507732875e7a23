// SPDX-License-Identifier: GPL-3.0-or-later
#include "OCRSelectionView.h"

#include "TextOrdering.h"
#include "platform/AlertPresenter.h"
#include "platform/Clipboard.h"
#include "platform/SystemColors.h"

#include <QFutureWatcher>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace vellumbox {

QRectF viewRectToImagePoints(const QRectF& viewRect, const QRectF& imageFrame,
                             const QSizeF& imagePointSize)
{
    if (imageFrame.isEmpty())
        return {};
    const qreal sx = imagePointSize.width() / imageFrame.width();
    const qreal sy = imagePointSize.height() / imageFrame.height();
    return {(viewRect.x() - imageFrame.x()) * sx, (viewRect.y() - imageFrame.y()) * sy,
            viewRect.width() * sx, viewRect.height() * sy};
}

void showRecognitionOutcome(const TextRecognitionOutcome& outcome,
                            const TextRecognitionServices& services)
{
    const std::shared_ptr<void> lowered = services.lowerPanels ? services.lowerPanels() : nullptr;
    if (outcome.error) {
        services.alerts.runModal(
            {AlertStyle::Warning, OCRSelectionView::tr("OCR Failed"), *outcome.error, {}});
    } else if (outcome.text.isEmpty()) {
        services.alerts.runModal({AlertStyle::Informational,
                                  OCRSelectionView::tr("No Text Found"),
                                  OCRSelectionView::tr("No text found in selected area."),
                                  {}});
    } else {
        // The whole text goes to the clipboard; only the alert shortens it.
        services.clipboard.setText(outcome.text);
        services.alerts.runModal({AlertStyle::Informational,
                                  OCRSelectionView::tr("Text Copied to Clipboard!"),
                                  previewText(outcome.text),
                                  {}});
    }
}

OCRSelectionView::OCRSelectionView(const QImage& screenshotImage, TextRecognitionServices services,
                                   QWidget* parent)
    : QWidget(parent)
    , screenshotImage_(screenshotImage)
    , services_(std::move(services))
{
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::StrongFocus);
    // The language data loads while the region is dragged, not after the release.
    preparation_ = prepareTextRecognition(services_.recognizer);
}

// The view's owner may free the recognizer next: a load that has not started yet never will,
// one under way is waited for.
OCRSelectionView::~OCRSelectionView()
{
    preparation_.cancel();
    preparation_.waitForFinished();
}

void OCRSelectionView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QColor tint = systemBlue();
    tint.setAlphaF(0.05F);
    painter.fillRect(rect(), tint);
    const std::optional<QRectF> selection = selectionRect();
    if (!selection)
        return;
    QColor fill = systemBlue();
    fill.setAlphaF(0.2F);
    painter.fillRect(*selection, fill);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(systemBlue(), 2.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(*selection);
}

void OCRSelectionView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    drag_.begin(event->position());
}

void OCRSelectionView::mouseMoveEvent(QMouseEvent* event)
{
    if (!drag_.isActive())
        return;
    drag_.moveTo(event->position());
    update();
}

void OCRSelectionView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    if (const std::optional<QRectF> selection = drag_.finish(event->position(), minimumSize)) {
        update();
        recognize(*selection);
        return;
    }
    complete();
}

void OCRSelectionView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        complete();
        return;
    }
    QWidget::keyPressEvent(event);
}

void OCRSelectionView::complete()
{
    if (onComplete)
        onComplete();
}

void OCRSelectionView::recognize(const QRectF& viewRect)
{
    // Read in the image's own points, whatever the zoom and the turn.
    const QRectF frame = imageFrame ? imageFrame() : QRectF(rect());
    const QRectF region =
        viewRectToImagePoints(viewRect, frame, screenshotImage_.deviceIndependentSize());
    // The report needs nothing of this view, which may be gone by then.
    auto* watcher = new QFutureWatcher<TextRecognitionOutcome>();
    const TextRecognitionServices services = services_;
    const std::function<void()> done = onComplete;
    connect(watcher, &QFutureWatcher<TextRecognitionOutcome>::finished, watcher,
            [watcher, services, done] {
                watcher->deleteLater();
                showRecognitionOutcome(watcher->result(), services);
                releaseWhenIdle(services.recognizer);
                if (done)
                    done();
            });
    watcher->setFuture(recognizeTextAsync(services_.recognizer, screenshotImage_, region));
    update();
}

} // namespace vellumbox
