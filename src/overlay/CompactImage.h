// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QTimer>

namespace vellumbox {

// The pixels of a floating screenshot. Once the screenshot is on screen the window's backing
// store holds what is shown, and the pixels are needed again only when the picture changes
// (zoom, rotation) or leaves the program (copy, save): so after a moment without use they are
// kept losslessly compressed, and decoded again on demand.
class CompactImage : public QObject {
    Q_OBJECT
public:
    explicit CompactImage(QImage image, QObject* parent = nullptr);
    ~CompactImage() override;

    // The exact pixels, decoded if need be; keeps them decoded for a while.
    QImage image();
    QSize size() const { return size_; }
    qreal devicePixelRatio() const { return devicePixelRatio_; }
    bool isDecoded() const { return !decoded_.isNull(); }

    static constexpr int idleMs = 1000;

Q_SIGNALS:
    // The decoded pixels were given up: drop any copy derived from them.
    void compacted();

private:
    void idle();
    void compressionFinished();

    QImage decoded_;
    QByteArray compressed_;
    QSize size_;
    qreal devicePixelRatio_ = 1.0;
    QImage::Format format_ = QImage::Format_Invalid;
    QTimer idleTimer_;
    QFutureWatcher<QByteArray> compression_;
};

} // namespace vellumbox
