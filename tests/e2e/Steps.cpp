// SPDX-License-Identifier: GPL-3.0-or-later
#include "Steps.h"

#include "DesktopTools.h"

#include <QTest>

namespace e2e::steps {

QSet<xcb_window_t> ids(const QList<WindowInfo>& windows)
{
    QSet<xcb_window_t> result;
    for (const WindowInfo& w : windows)
        result.insert(w.id);
    return result;
}

std::unique_ptr<AppProcess> startApp(QString* why)
{
    auto app = std::make_unique<AppProcess>();
    if (!app->start({}, why))
        return nullptr;
    if (!app->waitForLogLine(kRegistered, 15000)) {
        *why = QStringLiteral("the hot key was not registered; log:\n") +
               app->logLines().join(QLatin1Char('\n'));
        return nullptr;
    }
    return app;
}

bool openSelection(XHarness& x, QList<WindowInfo>* found, QString* why)
{
    if (!tools::mouseMove(kParking) || !tools::key(QStringLiteral("ctrl+shift+9"))) {
        *why = QStringLiteral("xdotool failed");
        return false;
    }
    QList<WindowInfo> windows;
    if (!x.waitForWindows(kSelection, 2, kWindowTimeoutMs, &windows)) {
        *why = QStringLiteral("%1 selection windows instead of 2").arg(windows.size());
        return false;
    }
    if (found)
        *found = windows;
    QTest::qWait(kReactionMs);
    return true;
}

bool capture(XHarness& x, const QPoint& from, const QPoint& to, int expectedCount, WindowInfo* shot,
             QString* why)
{
    const QSet<xcb_window_t> before = ids(x.windowsNamed(kScreenshot));
    if (!openSelection(x, nullptr, why))
        return false;
    if (!tools::drag(from, to)) {
        *why = QStringLiteral("xdotool failed");
        return false;
    }
    if (!x.waitForNoWindow(kSelection, kWindowTimeoutMs)) {
        *why = QStringLiteral("the selection windows stayed after the drag");
        return false;
    }
    QList<WindowInfo> shots;
    if (!x.waitForWindows(kScreenshot, expectedCount, kWindowTimeoutMs, &shots)) {
        *why = QStringLiteral("%1 screenshot windows instead of %2")
                   .arg(shots.size())
                   .arg(expectedCount);
        return false;
    }
    for (const WindowInfo& w : shots) {
        if (!before.contains(w.id)) {
            *shot = w;
            return true;
        }
    }
    *why = QStringLiteral("no new screenshot window");
    return false;
}

void focusScreenshotAt(const QPoint& at)
{
    tools::mouseMove(at);
    tools::mouseDown(1);
    QTest::qWait(450);
    tools::mouseUp(1);
    QTest::qWait(200);
}

QImage clipboardImage()
{
    QByteArray png;
    tools::run(QStringLiteral("xclip"),
               {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"),
                QStringLiteral("image/png"), QStringLiteral("-o")},
               &png);
    return QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
}

QString clipboardText()
{
    QByteArray text;
    tools::run(QStringLiteral("xclip"),
               {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o")},
               &text);
    return QString::fromUtf8(text);
}

QList<WindowInfo> alerts(XHarness& x)
{
    QList<WindowInfo> found = x.windowsNamed(QStringLiteral("Vellumbox"));
    found.removeIf([](const WindowInfo& w) { return w.geometry.width() <= 64; });
    return found;
}

} // namespace e2e::steps
