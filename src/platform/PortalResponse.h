// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PortalScreenshot.h"

#include <QObject>
#include <QVariantMap>

#include <optional>

namespace vellumbox {

// Receives the portal's Response signal for one request.
class PortalResponse : public QObject {
    Q_OBJECT
public:
    std::optional<PortalAnswer> answer;

public Q_SLOTS:
    void response(uint code, const QVariantMap& results)
    {
        answer = interpretScreenshotResponse(code, results);
        Q_EMIT answered();
    }

Q_SIGNALS:
    void answered();
};

} // namespace vellumbox
