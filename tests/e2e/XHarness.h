// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

#include <xcb/xcb.h>

#include <functional>
#include <optional>

namespace e2e {

// Polls cond while the event loop runs (so QProcess output keeps arriving); true once it holds.
bool waitUntil(const std::function<bool()>& cond, int timeoutMs = 10000);

struct WindowInfo {
    xcb_window_t id = XCB_NONE;
    // The child of the root that holds this window: its frame when the window manager manages it.
    xcb_window_t topLevel = XCB_NONE;
    // Position of topLevel among the root's children, bottom-most first.
    int stackIndex = -1;
    QString name;
    bool overrideRedirect = false;
    QRect geometry; // root coordinates
};

// A connection of the test's own to the X server of the session, independent of Qt.
class XHarness {
public:
    XHarness();
    ~XHarness();
    XHarness(const XHarness&) = delete;
    XHarness& operator=(const XHarness&) = delete;

    bool isConnected() const { return m_c != nullptr; }
    QSize rootSize() const { return m_rootSize; }
    xcb_atom_t atom(const char* name);

    // Every viewable window below the root, parents before children, bottom-most first.
    QList<WindowInfo> windows();
    QList<WindowInfo> windowsNamed(const QString& name);
    std::optional<WindowInfo> window(xcb_window_t id);
    // True once exactly count windows carry the name; found receives the last ones seen.
    bool waitForWindows(const QString& name, int count, QList<WindowInfo>* found = nullptr);

    // A rectangle of the root window as displayed; null on failure.
    QImage grab(const QRect& rootRect);
    // Shows image (of the root's size) as the background, also to a compositor, and waits until
    // the screen shows it where no window covers it.
    bool setBackground(const QImage& image);

    // A property of 32-bit values (atoms, cardinals).
    QList<quint32> property(xcb_window_t window, const char* name);
    bool hasSelectionOwner(const char* selection);
    bool hasFocus(const WindowInfo& window);
    // Whether another client holds an active grab; a grab of the test's own is given back.
    bool grabbedElsewhere(bool keyboard);

private:
    void sync();

    xcb_connection_t* m_c = nullptr;
    xcb_window_t m_root = XCB_NONE;
    QSize m_rootSize;
    xcb_pixmap_t m_background = XCB_NONE;
};

} // namespace e2e
