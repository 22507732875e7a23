// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtClipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace vellumbox {

void QtClipboard::setImage(const QImage& image)
{
    auto* data = new QMimeData;
    // Explicit PNG bytes, so that every application that asks for image/png gets the exact
    // pixels, plus Qt's own image type for the other formats it offers.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    data->setData(QStringLiteral("image/png"), png);
    data->setImageData(image);
    QGuiApplication::clipboard()->setMimeData(data);
}

void QtClipboard::setText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

} // namespace vellumbox
