// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TextRecognition.h"
#include "platform/RectangleDrag.h"

#include <QImage>
#include <QPointF>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

namespace vellumbox {

class AlertPresenter;
class Clipboard;
class TextRecognizer;

// A rectangle dragged over the view, in the image's points: `imageFrame` is where the image
// (of `imagePointSize` points) is drawn inside the view.
QRectF viewRectToImagePoints(const QRectF& viewRect, const QRectF& imageFrame,
                             const QSizeF& imagePointSize);

// What reading the text needs once the view may be gone.
struct TextRecognitionServices {
    TextRecognizer& recognizer;
    AlertPresenter& alerts;
    Clipboard& clipboard;
    // Keeps the floating screenshots below an alert for as long as the returned guard lives.
    std::function<std::shared_ptr<void>()> lowerPanels;
};

// Laid over a floating screenshot to drag out the area whose text goes to the clipboard.
class OCRSelectionView : public QWidget {
    Q_OBJECT
public:
    OCRSelectionView(const QImage& screenshotImage, TextRecognitionServices services,
                     QWidget* parent);
    ~OCRSelectionView() override;
    OCRSelectionView(const OCRSelectionView&) = delete;
    OCRSelectionView& operator=(const OCRSelectionView&) = delete;

    // Called once the selection is over: cancelled, finished or failed. A recognition still
    // running when the view is removed calls it again when it reports.
    std::function<void()> onComplete;
    // Where the image lies in the view; the whole view unless the owner says otherwise.
    std::function<QRectF()> imageFrame;

    const QImage& screenshotImage() const { return screenshotImage_; }
    // The picture the selection reads, when the screenshot's picture changes under it.
    void setScreenshotImage(const QImage& image) { screenshotImage_ = image; }
    std::optional<QRectF> selectionRect() const { return drag_.rect(); }
    bool isDragging() const { return drag_.isActive(); }

    static constexpr qreal minimumSize = 10.0;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void complete();
    void recognize(const QRectF& viewRect);

    QImage screenshotImage_;
    TextRecognitionServices services_;
    RectangleDrag drag_;
    QFuture<void> preparation_;
};

// Shows the outcome of one recognition: the text on the clipboard and in an alert, "No Text
// Found", or "OCR Failed", with the floating screenshots lowered while the alert is up.
void showRecognitionOutcome(const TextRecognitionOutcome& outcome,
                            const TextRecognitionServices& services);

} // namespace vellumbox
