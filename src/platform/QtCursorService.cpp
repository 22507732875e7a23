// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtCursorService.h"

#include <QGuiApplication>

namespace vellumbox {

void QtCursorService::setCurrent(const QCursor& cursor)
{
    if (overriding_) {
        QGuiApplication::changeOverrideCursor(cursor);
        return;
    }
    QGuiApplication::setOverrideCursor(cursor);
    overriding_ = true;
}

void QtCursorService::restoreArrow()
{
    if (!overriding_)
        return;
    QGuiApplication::restoreOverrideCursor();
    overriding_ = false;
}

} // namespace vellumbox
