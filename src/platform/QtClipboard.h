// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Clipboard.h"

namespace vellumbox {

// The X11 clipboard is served by its owner: the long-lived application process keeps it
// available after the screenshot that was copied has closed.
class QtClipboard final : public Clipboard {
public:
    void setImage(const QImage& image) override;
    void setText(const QString& text) override;
};

} // namespace vellumbox
