// SPDX-License-Identifier: GPL-3.0-or-later
#include "ImageFile.h"

#include "platform/SafeFile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImageWriter>

namespace vellumbox {

QByteArray imageFormatForPath(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QStringLiteral("jpg") || suffix == QStringLiteral("jpeg") ? "JPEG" : "PNG";
}

QString defaultScreenshotName(const QDateTime& when, const QLocale& locale)
{
    // The locale's medium date: its long form without the weekday.
    const QString date = locale.toString(when.date(), locale.dateFormat(QLocale::LongFormat)
                                                          .remove(QStringLiteral("dddd, "))
                                                          .remove(QStringLiteral("dddd ")));
    const QString time = locale.toString(when.time(), QLocale::ShortFormat);
    QString name = QCoreApplication::translate("ImageFile", "Screenshot %1 at %2").arg(date, time);
    // A file name never holds a "/"; ":" is kept out too, for other file systems' sake.
    name.replace(QLatin1Char('/'), QLatin1Char('-')).replace(QLatin1Char(':'), QLatin1Char('.'));
    return name;
}

std::optional<QString> writeImageFile(const QImage& image, const QString& path)
{
    if (image.isNull())
        return QCoreApplication::translate("ImageFile", "There is no image to save.");
    // Encoded in memory first: nothing touches the disk unless there is something to write.
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    const QByteArray format = imageFormatForPath(path);
    QImageWriter writer(&buffer, format);
    if (format == "JPEG")
        writer.setQuality(jpegQuality);
    if (!writer.write(image) || encoded.isEmpty())
        return QCoreApplication::translate("ImageFile", "The image could not be encoded as %1: %2")
            .arg(QString::fromLatin1(format), writer.errorString());
    return writeFileSafely(path, encoded);
}

} // namespace vellumbox
