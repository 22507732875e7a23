// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DisplayCapture.h"

#include <functional>
#include <memory>
#include <vector>

struct wl_display;
struct wl_registry;
struct wl_shm;
struct wl_output;
struct zwlr_screencopy_manager_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

namespace vellumbox {

// Reads an output through the wlroots screen-copy protocol (sway and other wlroots
// compositors), on a Wayland connection of its own beside Qt's X11 one: the compositor's
// true pixels, at the output's own density, without the pointer.
class WlrScreencopyCapture final : public DisplayCapture {
public:
    // Null when there is no Wayland display or it does not offer screen copy.
    static std::unique_ptr<WlrScreencopyCapture> connect();
    ~WlrScreencopyCapture() override;
    WlrScreencopyCapture(const WlrScreencopyCapture&) = delete;
    WlrScreencopyCapture& operator=(const WlrScreencopyCapture&) = delete;

    DisplayImage captureDisplay(const ScreenInfo& screen) override;

    struct Output {
        uint32_t name = 0; // the registry's
        wl_output* output = nullptr;
        zxdg_output_v1* xdgOutput = nullptr;
        QRect geometry; // logical, in the compositor's layout
    };

    static constexpr int replyTimeoutMs = 3000;

private:
    WlrScreencopyCapture() = default;
    bool dispatchUntil(const std::function<bool()>& done, int timeoutMs);
    QString connectionError() const;
    void addOutput(uint32_t name, uint32_t version);
    void removeOutput(uint32_t name);

    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_shm* shm_ = nullptr;
    zwlr_screencopy_manager_v1* manager_ = nullptr;
    zxdg_output_manager_v1* xdgOutputManager_ = nullptr;
    std::vector<std::unique_ptr<Output>> outputs_;

    friend struct WaylandListeners;
};

} // namespace vellumbox
