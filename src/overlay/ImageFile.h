// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QLocale>
#include <QString>

#include <optional>

namespace vellumbox {

// "JPEG" for a .jpg or .jpeg name in any letter case, "PNG" for anything else.
QByteArray imageFormatForPath(const QString& path);
inline constexpr int jpegQuality = 90;

// "Screenshot " with the date (medium) and time (short) in the locale, never with a "/".
QString defaultScreenshotName(const QDateTime& when, const QLocale& locale);

// Writes the image as PNG, or as JPEG at quality 90 for a .jpg/.jpeg name; a failed write
// leaves an existing file as it was. Answers the reason of a failure.
std::optional<QString> writeImageFile(const QImage& image, const QString& path);

} // namespace vellumbox
