// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Annotation.h"

#include <QImage>
#include <QWidget>

#include <optional>

namespace vellumbox {

// A transparent layer over a floating screenshot. With a tool it records presses, drags and
// releases as annotations; without one the mouse passes through to the screenshot below,
// and the marks already made stay visible.
class AnnotationCanvas : public QWidget {
    Q_OBJECT
public:
    explicit AnnotationCanvas(QWidget* parent = nullptr);

    std::optional<AnnotationToolType> activeTool() const { return activeTool_; }
    void setActiveTool(std::optional<AnnotationToolType> tool);

    const QList<Annotation>& annotations() const { return annotations_; }
    const std::optional<Annotation>& currentAnnotation() const { return currentAnnotation_; }
    void setAnnotations(QList<Annotation> annotations);
    // Drops everything, the annotation in progress too.
    void clear();
    // Removes the last finished annotation; the one in progress stays.
    void undo();
    // The cursor of the active tool, or the arrow.
    void updateCursor();
    // The finished annotations as drawn for an image of exactly this many pixels, when the
    // canvas's own layer is that (a ratio of 1: its line widths are the image's); else null.
    QImage finishedLayerFor(const QSize& pixels);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

    void resizeEvent(QResizeEvent* event) override;

private:
    QPointF normalised(const QPointF& position) const;
    // The finished annotations, drawn once at device pixels: a display pass composites it
    // and draws only the annotation in progress. Source-over is associative, so this shows
    // exactly what drawing them one by one shows.
    const QImage& finishedLayer();
    void extendCurrent(const QPointF& position);

    std::optional<AnnotationToolType> activeTool_;
    QList<Annotation> annotations_;
    std::optional<Annotation> currentAnnotation_;
    QImage layer_;          // null when it must be redrawn from scratch
    qsizetype layered_ = 0; // how many of annotations_ it holds
};

} // namespace vellumbox
