// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcScreenCapture)
Q_DECLARE_LOGGING_CATEGORY(lcLoginItem)
Q_DECLARE_LOGGING_CATEGORY(lcHotkey)
Q_DECLARE_LOGGING_CATEGORY(lcOverlay)
Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcUpdater)

namespace vellumbox {

// Sends every message to stderr as "<level> <category>: <message>" and errors and
// warnings to the system log under the identifier "vellumbox".
void installLogHandler();

// The stderr form of one message; kept pure so that it can be tested.
QString formatLogLine(QtMsgType type, const char* category, const QString& message);

} // namespace vellumbox
