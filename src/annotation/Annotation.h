// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPointF>

#include <array>

namespace vellumbox {

enum class AnnotationToolType { pencil, circle, square, arrow, highlight };

inline constexpr std::array<AnnotationToolType, 5> allAnnotationTools{
    AnnotationToolType::pencil, AnnotationToolType::circle, AnnotationToolType::square,
    AnnotationToolType::arrow, AnnotationToolType::highlight};

// One mark. Points are normalised to the drawing area (0..1 inside it, origin top-left, y
// down, as everywhere in Qt), so the same mark lands on the same spot at any size.
struct Annotation {
    AnnotationToolType toolType = AnnotationToolType::pencil;
    QList<QPointF> points;

    bool operator==(const Annotation&) const = default;
};

} // namespace vellumbox
