// SPDX-License-Identifier: GPL-3.0-or-later
#include "ImageFile.h"

#include "InteractionRules.h"

#include <QBuffer>
#include <QImageWriter>
#include <QSaveFile>

namespace vellumbox {

std::optional<QString> writeImageFile(const QImage& image, const QString& path)
{
    if (image.isNull())
        return QStringLiteral("There is no image to save.");
    // Encoded in memory first: nothing touches the disk unless there is something to write.
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    const QByteArray format = imageFormatForPath(path);
    QImageWriter writer(&buffer, format);
    if (format == "JPEG")
        writer.setQuality(jpegQuality);
    if (!writer.write(image) || encoded.isEmpty())
        return QStringLiteral("The image could not be encoded as %1: %2")
            .arg(QString::fromLatin1(format), writer.errorString());

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // Every step is checked before the commit: QSaveFile may otherwise commit a file whose
    // buffered tail could not be written (a full disk), replacing a good file with a
    // truncated one.
    const bool written = file.write(encoded) == encoded.size() && file.flush() &&
                         file.error() == QFileDevice::NoError;
    if (!written) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace vellumbox
