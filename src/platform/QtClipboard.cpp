// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace vellumbox {

void QtClipboard::setImage(const QImage& image)
{
    // Qt offers image data as image/png (and other types), encoded only when an application
    // pastes it: a copy costs nothing up front, even for a whole 4K screen.
    auto* data = new QMimeData;
    data->setImageData(image);
    QGuiApplication::clipboard()->setMimeData(data);
}

void QtClipboard::setText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

} // namespace vellumbox
