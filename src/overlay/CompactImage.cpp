// SPDX-License-Identifier: GPL-3.0-or-later
#include "CompactImage.h"

#include "platform/Memory.h"

#include <QtConcurrent/QtConcurrentRun>

#include <cstring>

namespace vellumbox {

namespace {

// Fast rather than small: screen content still shrinks to a fraction.
constexpr int compressionLevel = 1;

} // namespace

CompactImage::CompactImage(QImage image, QObject* parent)
    : QObject(parent)
    , decoded_(std::move(image))
    , size_(decoded_.size())
    , devicePixelRatio_(decoded_.devicePixelRatio())
    , format_(decoded_.format())
{
    idleTimer_.setSingleShot(true);
    idleTimer_.setInterval(idleMs);
    connect(&idleTimer_, &QTimer::timeout, this, &CompactImage::idle);
    connect(&compression_, &QFutureWatcher<QByteArray>::finished, this,
            &CompactImage::compressionFinished);
    idleTimer_.start();
}

CompactImage::~CompactImage()
{
    compression_.waitForFinished();
}

QImage CompactImage::image()
{
    idleTimer_.start();
    if (decoded_.isNull() && !compressed_.isEmpty()) {
        const QByteArray bytes = qUncompress(compressed_);
        QImage pixels(size_, format_);
        if (!pixels.isNull() && bytes.size() == pixels.sizeInBytes()) {
            std::memcpy(pixels.bits(), bytes.constData(), static_cast<size_t>(bytes.size()));
            pixels.setDevicePixelRatio(devicePixelRatio_);
            decoded_ = pixels;
        }
    }
    return decoded_;
}

void CompactImage::idle()
{
    if (decoded_.isNull() || compression_.isRunning())
        return;
    if (compressed_.isEmpty()) {
        const QImage pixels = decoded_;
        compression_.setFuture(QtConcurrent::run([pixels] {
            return qCompress(pixels.constBits(), static_cast<qsizetype>(pixels.sizeInBytes()),
                             compressionLevel);
        }));
        return;
    }
    decoded_ = QImage();
    Q_EMIT compacted();
    releaseFreedMemory();
}

void CompactImage::compressionFinished()
{
    compressed_ = compression_.result();
    // Used again while compressing: give the pixels up at the next idle moment instead.
    if (!idleTimer_.isActive())
        idle();
}

} // namespace vellumbox
