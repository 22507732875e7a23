// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DisplayCapture.h"

#include <QByteArray>
#include <QVariantMap>

#include <memory>

namespace vellumbox {

// KWin's answer to a capture, with the raw pixels it wrote to the pipe, as an image of its
// own; a malformed answer is an error, never a guessed picture.
DisplayImage imageFromKWinScreenShot(const QVariantMap& results, const QByteArray& pixels);

// Reads the screen through KWin's own screenshot interface (org.kde.KWin.ScreenShot2): raw
// pixels at the output's density, without the pointer, about twice as fast as the portal.
// KWin grants it only to programs whose installed desktop entry lists the interface; when it
// refuses, every capture goes to `fallback` (the portal) from then on.
class KWinScreenShotCapture final : public DisplayCapture {
public:
    explicit KWinScreenShotCapture(std::unique_ptr<DisplayCapture> fallback);

    // True when KWin offers the interface (granted or not).
    static bool available();

    DisplayImage captureDisplay(const ScreenInfo& screen) override;
    DisplayCapture& fallback() const { return *fallback_; }

    static constexpr int replyTimeoutMs = 5000;

private:
    std::unique_ptr<DisplayCapture> fallback_;
    bool refused_ = false;
};

} // namespace vellumbox
