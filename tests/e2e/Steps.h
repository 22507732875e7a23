// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppProcess.h"
#include "XHarness.h"

#include <QImage>
#include <QPoint>
#include <QRegularExpression>
#include <QSet>

#include <memory>

// The steps every scenario takes as a person would: start Vellumbox, open a selection, drag a
// screenshot out of it.
namespace e2e::steps {

inline const QString kSelection = QStringLiteral("Vellumbox Selection");
inline const QString kScreenshot = QStringLiteral("Vellumbox Screenshot");
// Where the pointer rests: away from every sampled or captured area.
inline const QPoint kParking(1700, 1000);
inline constexpr int kWindowTimeoutMs = 5000;
// Time a person takes between seeing the selection and starting to drag.
inline constexpr int kReactionMs = 200;
// After the 0.2 s fade-in of a screenshot window.
inline constexpr int kSettleMs = 500;
inline const QRegularExpression
    kRegistered(QStringLiteral(R"(^info vellumbox\.Hotkey: Hot key Ctrl\+Shift\+9 registered$)"));

QSet<xcb_window_t> ids(const QList<WindowInfo>& windows);

// Started and ready for the hot key; null (with the reason) otherwise.
std::unique_ptr<AppProcess> startApp(QString* why);
bool openSelection(XHarness& x, QList<WindowInfo>* found, QString* why);
// Drags from -> to in a fresh selection and returns the screenshot window that covers the
// dragged rectangle, once expectedCount screenshot windows are up.
bool capture(XHarness& x, const QPoint& from, const QPoint& to, int expectedCount, WindowInfo* shot,
             QString* why);
// A press longer than a click: the screenshot under it takes the focus without closing.
void focusScreenshotAt(const QPoint& at);
// The clipboard's image/png, read as another application pastes it; null when there is none.
QImage clipboardImage();
// The clipboard's text, as another application pastes it.
QString clipboardText();
// The alerts up now: titled with the program's name, as is the small tray icon window.
QList<WindowInfo> alerts(XHarness& x);

} // namespace e2e::steps
