// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Screen-like pictures of text, painted with QPainter, and what they say: the test set for
// the recogniser's tests and benchmark.

#include <QImage>
#include <QPointF>

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

namespace vellumbox::samples {

struct TextSample {
    QString kind;
    QImage image;
    // The lines in reading order.
    QStringList lines;
};

QList<TextSample> textSamples();

// 800 x 200 pixels of interface text, and a 1920 x 1080 screen of it.
TextSample smallRegion();
TextSample fullScreen();

struct ErrorCounts {
    qsizetype errors = 0;
    qsizetype length = 0;
    double rate() const { return length > 0 ? double(errors) / double(length) : 0.0; }
};

// Edit distance between what was read and what is there, over characters and over words;
// runs of white space (line feeds included) count as one space.
ErrorCounts characterErrors(const QString& read, const QStringList& expected);
ErrorCounts wordErrors(const QString& read, const QStringList& expected);

// Whether the expected lines appear in this order in what was read (each matched to the read
// line closest to it).
bool linesInOrder(const QString& read, const QStringList& expected);

// Black DejaVu Sans on white: each text at its baseline, all at one pixel size.
QImage printed(QSize size, const QList<std::pair<QPointF, QString>>& texts, int pixelSize);

} // namespace vellumbox::samples
