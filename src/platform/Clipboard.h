// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

namespace vellumbox {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Replaces the clipboard's contents; other applications paste it as image/png.
    virtual void setImage(const QImage& image) = 0;
    virtual void setText(const QString& text) = 0;
};

} // namespace vellumbox
