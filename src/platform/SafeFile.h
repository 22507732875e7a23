// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace vellumbox {

// Writes through a temporary file that replaces the target only once every byte is on disk:
// a failed write (full disk, read-only folder) leaves an existing file as it was. Answers the
// reason of a failure.
std::optional<QString> writeFileSafely(const QString& path, const QByteArray& content);

} // namespace vellumbox
