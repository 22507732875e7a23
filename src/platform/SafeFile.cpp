// SPDX-License-Identifier: GPL-3.0-or-later
#include "SafeFile.h"

#include <QSaveFile>

namespace vellumbox {

std::optional<QString> writeFileSafely(const QString& path, const QByteArray& content)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // Every step is checked before the commit: QSaveFile may otherwise commit a file whose
    // buffered tail could not be written (a full disk), replacing a good file with a
    // truncated one.
    const bool written = file.write(content) == content.size() && file.flush() &&
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
