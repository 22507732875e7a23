// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

#include <optional>

namespace vellumbox {

// Writes the image as PNG, or as JPEG at quality 90 for a .jpg/.jpeg name, through a
// temporary file that replaces the target only once complete: a failed write (full disk,
// read-only folder) leaves an existing file as it was. Answers the reason of a failure.
std::optional<QString> writeImageFile(const QImage& image, const QString& path);

} // namespace vellumbox
