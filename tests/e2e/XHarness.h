// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

#include <xcb/xcb.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>

namespace e2e {

// Polls cond while the event loop runs (so QProcess output keeps arriving); true once it holds.
bool waitUntil(const std::function<bool()>& cond, int timeoutMs, int stepMs = 20);

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using XReply = std::unique_ptr<T, FreeDeleter>;

struct WindowInfo {
    xcb_window_t id = XCB_NONE;
    xcb_window_t parent = XCB_NONE;
    // The child of the root that holds this window: its frame when the window manager manages it.
    xcb_window_t topLevel = XCB_NONE;
    // Position of topLevel among the root's children, bottom-most first.
    int stackIndex = -1;
    QString netWmName;
    QString wmName;
    QString wmInstance;
    QString wmClass;
    bool overrideRedirect = false;
    bool viewable = false;
    QRect geometry; // root coordinates, inside the border

    bool isNamed(const QString& name) const { return netWmName == name || wmName == name; }
    bool isReparented() const { return topLevel != id; }
};

// A connection of the test's own to the X server of the session, independent of Qt.
class XHarness {
public:
    XHarness();
    ~XHarness();
    XHarness(const XHarness&) = delete;
    XHarness& operator=(const XHarness&) = delete;

    bool isConnected() const { return m_connection != nullptr; }
    xcb_connection_t* connection() const { return m_connection; }
    xcb_window_t root() const { return m_root; }
    QSize rootSize() const { return m_rootSize; }
    xcb_atom_t atom(const char* name);
    bool sync();

    // Every window below the root, parents before children, siblings bottom-most first.
    QList<WindowInfo> windows();
    QList<WindowInfo> windowsNamed(const QString& name, bool viewableOnly = true);
    std::optional<WindowInfo> window(xcb_window_t id);
    // True once exactly count viewable windows carry the name; found receives them.
    bool waitForWindows(const QString& name, int count, int timeoutMs,
                        QList<WindowInfo>* found = nullptr);
    bool waitForNoWindow(const QString& name, int timeoutMs);

    // A rectangle of the root window as displayed, alpha forced opaque; null on failure.
    QImage grab(const QRect& rootRect);

    // Shows pattern variant over the whole root (as background, also for a compositor) and
    // waits until the screen shows it where no window covers it.
    bool setBackgroundPattern(int variant, int timeoutMs = 5000);
    int backgroundVariant() const { return m_variant; }
    // Shows a picture of the root's size as the background, waiting as above.
    bool setBackgroundImage(const QImage& image, int timeoutMs = 5000);

    QList<xcb_atom_t> netWmState(xcb_window_t window);
    bool hasNetWmState(xcb_window_t window, const char* stateName);
    std::optional<quint32> netWmDesktop(xcb_window_t window);

    xcb_window_t selectionOwner(const char* selection);

    // Whether another client holds an active grab; a grab that succeeds is given back at once.
    bool keyboardGrabbedElsewhere();
    bool pointerGrabbedElsewhere();

    // Passive grab of keysym with modifiers, also with Caps Lock and Num Lock; false (with
    // nothing grabbed) when the server refuses any of them.
    bool grabKey(quint32 keysym, quint16 modifiers, QString* error = nullptr);
    void ungrabKey(quint32 keysym, quint16 modifiers);
    std::optional<xcb_keycode_t> keycodeFor(quint32 keysym);
    quint16 numLockMask();

private:
    QList<WindowInfo> snapshotWindows(bool* consistent);
    QList<quint16> lockVariants(quint16 modifiers);
    bool checkImageFormat();
    bool putImage(xcb_drawable_t target, const QImage& image);

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = XCB_NONE;
    xcb_visualid_t m_rootVisual = 0;
    quint8 m_rootDepth = 0;
    QSize m_rootSize;
    bool m_formatOk = false;
    xcb_pixmap_t m_background = XCB_NONE;
    int m_variant = -1;
};

} // namespace e2e
