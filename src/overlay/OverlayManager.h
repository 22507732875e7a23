// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QRectF>

#include "ScreenshotOverlayPanel.h"

#include <memory>
#include <vector>

namespace vellumbox {

// Owns every floating screenshot from its creation to the end of its fade-out.
class OverlayManager : public QObject {
    Q_OBJECT
public:
    explicit OverlayManager(const OverlayServices& services);
    ~OverlayManager() override;

    // The application's registry, on the Linux services; created on first use.
    static OverlayManager& shared();

    ScreenshotOverlayPanel* createOverlay(const QImage& image, const QRectF& rect);
    void closeAllOverlays();
    void removeOverlay(ScreenshotOverlayPanel* panel);
    // In order of creation.
    QList<ScreenshotOverlayPanel*> overlays() const;

private:
    OverlayServices services_;
    std::vector<std::unique_ptr<ScreenshotOverlayPanel>> overlays_;
};

} // namespace vellumbox
