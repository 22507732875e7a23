// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ShareService.h"

#include <QObject>

namespace vellumbox {

// The applications the desktop registers for image/png (GIO), plus e-mail through
// xdg-email. Images go to a private folder in $XDG_RUNTIME_DIR that is emptied when the
// program ends and when it starts again.
class GioShareService final : public QObject, public ShareService {
    Q_OBJECT
public:
    GioShareService();
    ~GioShareService() override;
    GioShareService(const GioShareService&) = delete;
    GioShareService& operator=(const GioShareService&) = delete;

    QList<ShareTarget> targets() override;
    std::optional<QString> share(const ShareTarget& target, const QImage& image) override;

    static QString shareFolder();

private:
    int counter_ = 0;
};

} // namespace vellumbox
