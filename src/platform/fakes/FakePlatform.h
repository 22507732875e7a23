// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Test doubles of every desktop service: each can succeed and fail, and records what it was
// asked, so that tests can drive whole flows without a desktop.

#include "../AlertPresenter.h"
#include "../Clipboard.h"
#include "../Clock.h"
#include "../CursorService.h"
#include "../DesktopShortcuts.h"
#include "../DisplayCapture.h"
#include "../GlobalHotkey.h"
#include "../GlobalInputMonitor.h"
#include "../LoginItems.h"
#include "../PlatformServices.h"
#include "../SaveDialog.h"
#include "../ScreenProvider.h"
#include "../ScreenRecordingPermission.h"
#include "../Settings.h"
#include "../ShareService.h"
#include "../WindowSystem.h"
#include "FakeTextEngine.h"
#include "FakeTextRecognizer.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QWindow>

#include <functional>
#include <map>
#include <optional>
#include <utility>

namespace vellumbox::fakes {

class FakeScreenProvider final : public ScreenProvider {
public:
    QList<ScreenInfo> screenList;
    QPoint cursor;

    QList<ScreenInfo> screens() const override { return screenList; }
    QPoint cursorPosition() const override { return cursor; }
    void setOnScreensChanged(std::function<void()> callback) override
    {
        onChanged = std::move(callback);
    }
    void changeScreens(QList<ScreenInfo> screens)
    {
        screenList = std::move(screens);
        if (onChanged)
            onChanged();
    }

    std::function<void()> onChanged;
};

// Paints every display with a colour per screen unless told to fail.
class FakeDisplayCapture final : public DisplayCapture {
public:
    std::optional<QString> failWith;
    bool refuse = false;
    bool returnNothing = false;
    // A compositor's own density, whatever the screen says (0: the screen's).
    qreal scale = 0;
    // Reads only the part asked for, as X11 does.
    bool readsParts = false;
    QList<ScreenInfo> requests;
    // Pixel (x, y) of a screen's image; the default encodes the coordinates.
    std::function<QRgb(int, int)> pixelAt = [](int x, int y) {
        return qRgb(x & 0xff, y & 0xff, ((x >> 8) & 0x0f) | (((y >> 8) & 0x0f) << 4));
    };

    DisplayImage captureDisplay(const ScreenInfo& screen) override;
    DisplayImage captureDisplayPart(const ScreenInfo& screen, const QRect& part) override;
};

class FakePermission final : public ScreenRecordingPermission {
public:
    bool granted = true;
    bool grantOnRequest = false;
    int requestCount = 0;
    int openSettingsCount = 0;

    bool preflight() override { return granted; }
    bool request() override
    {
        ++requestCount;
        if (grantOnRequest)
            granted = true;
        return granted;
    }
    void openSettings() override { ++openSettingsCount; }
};

class FakeAlertPresenter final : public AlertPresenter {
public:
    QList<Alert> shown;
    int answer = alertFirstButtonReturn;
    // Runs while the alert is "up", to look at the rest of the program at that moment.
    std::function<void(const Alert&)> whileShown;

    int runModal(const Alert& alert) override
    {
        shown.append(alert);
        if (whileShown)
            whileShown(alert);
        return answer;
    }
};

class FakeCursorService final : public CursorService {
public:
    QList<Qt::CursorShape> history; // Qt::BitmapCursor for drawn cursors
    bool overriding = false;

    void setCurrent(const QCursor& cursor) override
    {
        history.append(cursor.shape());
        overriding = true;
    }
    void restoreArrow() override
    {
        history.append(Qt::ArrowCursor);
        overriding = false;
    }
};

class FakeGlobalHotkey final : public GlobalHotkey {
public:
    bool refuse = false;
    char registeredKey = 0;
    std::function<void()> onPressed;

    bool registerHotkey(char key, std::function<void()> callback) override
    {
        if (refuse)
            return false;
        registeredKey = key;
        onPressed = std::move(callback);
        return true;
    }
    void unregisterHotkey() override
    {
        registeredKey = 0;
        onPressed = nullptr;
    }
    QString lastError() const override
    {
        return refuse ? QStringLiteral("it is held by another application (BadAccess)") : QString();
    }
    void press()
    {
        if (onPressed)
            onPressed();
    }
};

class FakeWindowSystem final : public WindowSystem {
public:
    bool compositing = true;
    QList<QPointer<QWindow>> stickyWindows;
    QPointer<QWindow> grabbedWindow;
    int grabCount = 0;

    bool compositingActive() const override { return compositing; }
    void makeSticky(QWindow* window) override { stickyWindows.append(window); }
    bool grabInput(QWindow* window) override
    {
        grabbedWindow = window;
        ++grabCount;
        return true;
    }
    void releaseInput() override { grabbedWindow.clear(); }
    bool honoursPlacement() const override { return placement; }
    bool placement = true;
    bool floatAboveFullScreen(QWindow*) override { return aboveFullScreen; }
    bool aboveFullScreen = false;
};

class FakeSettings final : public Settings {
public:
    QHash<QString, bool> values;

    bool boolValue(const QString& key) const override { return values.value(key, false); }
    void setBoolValue(const QString& key, bool value) override { values.insert(key, value); }
};

class FakeClipboard final : public Clipboard {
public:
    QImage image;
    QString text;
    int writes = 0;

    void setImage(const QImage& value) override
    {
        image = value;
        ++writes;
    }
    void setText(const QString& value) override
    {
        text = value;
        ++writes;
    }
};

// Keeps the dialog "open" until the test answers it.
class FakeSaveDialog final : public SaveDialog {
public:
    QString proposedName;
    std::function<void(std::optional<QString>)> pending;

    void ask(const QString& name, std::function<void(std::optional<QString>)> onAnswer) override
    {
        proposedName = name;
        pending = std::move(onAnswer);
    }
    void answer(std::optional<QString> path)
    {
        if (auto callback = std::exchange(pending, nullptr))
            callback(std::move(path));
    }
};

class FakeClock final : public Clock {
public:
    qint64 now = 1000;
    QDateTime dateTime = QDateTime(QDate(2026, 12, 6), QTime(14, 5));

    qint64 nowMs() const override { return now; }
    QDateTime currentDateTime() const override { return dateTime; }
};

class FakeShareService final : public ShareService {
public:
    QList<ShareTarget> available;
    std::optional<QString> failWith;
    QList<QPair<QString, QImage>> shared;

    QList<ShareTarget> targets() override { return available; }
    std::optional<QString> share(const ShareTarget& target, const QImage& image) override
    {
        if (failWith)
            return failWith;
        shared.append({target.id, image});
        return std::nullopt;
    }
};

class FakeGlobalInputMonitor final : public GlobalInputMonitor {
public:
    bool refuse = false;
    int subscriptions = 0; // ever made
    std::map<int, std::function<void(GlobalInput)>> handlers;

    int subscribe(std::function<void(GlobalInput)> handler) override
    {
        if (refuse)
            return -1;
        ++subscriptions;
        handlers.emplace(subscriptions, std::move(handler));
        return subscriptions;
    }
    void unsubscribe(int id) override { handlers.erase(id); }
    void send(GlobalInput input)
    {
        const auto copy = handlers;
        for (const auto& [id, handler] : copy)
            handler(input);
    }
};

class FakeLoginItems final : public LoginItems {
public:
    std::optional<QString> failWith;
    int registrations = 0;

    bool registerMainApp(QString* error) override
    {
        ++registrations;
        if (failWith)
            *error = *failWith;
        return !failWith;
    }
};

class FakeDesktopShortcuts final : public DesktopShortcuts {
public:
    ShortcutOffer offered;
    std::optional<QString> failWith;
    int added = 0;

    ShortcutOffer offer() override { return offered; }
    std::optional<QString> add() override
    {
        ++added;
        return failWith;
    }
};

struct FakePlatform {
    FakeScreenProvider screens;
    FakeDisplayCapture capture;
    FakePermission permission;
    FakeAlertPresenter alerts;
    FakeCursorService cursor;
    FakeWindowSystem windows;
    FakeSettings settings;

    FakeClipboard clipboard;
    FakeSaveDialog saveDialog;
    FakeClock clock;
    FakeShareService share;
    FakeGlobalInputMonitor globalInput;
    FakeLoginItems loginItems;
    FakeTextEngine textEngine;
    // Not a platform service: what a floating screenshot reads text with.
    FakeTextRecognizer textRecognizer;
    FakeDesktopShortcuts shortcuts;

    PlatformServices services()
    {
        return {screens, capture,     permission, alerts,     cursor,
                windows, settings,    clipboard,  saveDialog, clock,
                share,   globalInput, loginItems, textEngine, shortcuts};
    }
};

// The two-monitor arrangement used throughout the tests: L at scale 1, R to its right at 2.
QList<ScreenInfo> twoScreens();

} // namespace vellumbox::fakes
