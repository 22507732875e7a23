// SPDX-License-Identifier: GPL-3.0-or-later
#include "OverlayManager.h"

#include "LoweredPanels.h"

#include "ScreenshotOverlayPanel.h"
#include "ocr/ScreenTextRecognizer.h"
#include "platform/PlatformServices.h"

#include <QCoreApplication>

#include <algorithm>

namespace vellumbox {

OverlayManager::OverlayManager(const OverlayServices& services)
    : services_(services)
{}

OverlayManager::~OverlayManager() = default;

OverlayManager& OverlayManager::shared()
{
    static OverlayManager* instance = [] {
        const PlatformServices& platform = linuxPlatform();
        // Never destroyed, as the manager: a worker may still be reading when the process exits.
        auto* recognizer = new ScreenTextRecognizer(platform.textEngine);
        auto* manager = new OverlayManager({platform.windows,
                                            platform.globalInput,
                                            *recognizer,
                                            {platform.clipboard, platform.saveDialog,
                                             platform.share, platform.alerts, platform.clock}});
        // Windows must go while the application still exists.
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, manager,
                         [manager] { manager->overlays_.clear(); });
        return manager;
    }();
    return *instance;
}

ScreenshotOverlayPanel* OverlayManager::createOverlay(const QImage& image, const QRectF& rect)
{
    auto panel = std::make_unique<ScreenshotOverlayPanel>(image, rect, services_);
    ScreenshotOverlayPanel* raw = panel.get();
    raw->onFadeOutFinished = [this](ScreenshotOverlayPanel* closed) { removeOverlay(closed); };
    raw->onCloseAll = [this] { closeAllOverlays(); };
    raw->lowerAllPanels = [this] {
        return std::shared_ptr<void>(std::make_shared<LoweredPanels>(*this));
    };
    overlays_.push_back(std::move(panel));
    raw->show();
    return raw;
}

void OverlayManager::closeAllOverlays()
{
    // Fade-outs run together; each removes its own panel when done.
    for (ScreenshotOverlayPanel* panel : overlays())
        panel->dismiss();
}

void OverlayManager::removeOverlay(ScreenshotOverlayPanel* panel)
{
    const auto found = std::find_if(overlays_.begin(), overlays_.end(),
                                    [panel](const auto& entry) { return entry.get() == panel; });
    if (found == overlays_.end())
        return;
    std::unique_ptr<ScreenshotOverlayPanel> removed = std::move(*found);
    overlays_.erase(found);
    removed->hide();
    removed->close();
    // May be called from the panel's own animation: delete once that has returned.
    removed.release()->deleteLater();
}

QList<ScreenshotOverlayPanel*> OverlayManager::overlays() const
{
    QList<ScreenshotOverlayPanel*> result;
    result.reserve(static_cast<qsizetype>(overlays_.size()));
    for (const auto& panel : overlays_)
        result.append(panel.get());
    return result;
}

} // namespace vellumbox
