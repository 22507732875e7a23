// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QImage>
#include <QList>
#include <QString>

#include <optional>

namespace vellumbox {

struct ShareTarget {
    QString id;
    QString name;
    QIcon icon;
};

// The applications that take a PNG image, and e-mail; the image is handed over as a file.
class ShareService {
public:
    virtual ~ShareService() = default;
    virtual QList<ShareTarget> targets() = 0;
    // Starts the target with the image; the reason when it could not.
    virtual std::optional<QString> share(const ShareTarget& target, const QImage& image) = 0;
};

} // namespace vellumbox
