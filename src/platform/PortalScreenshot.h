// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DisplayCapture.h"

#include <QObject>
#include <QVariantMap>

#include <functional>
#include <optional>

namespace vellumbox {

// What the portal's answer to a screenshot request means.
struct PortalAnswer {
    enum class Outcome { Taken, Refused, Failed };
    Outcome outcome = Outcome::Failed;
    QString fileName; // the picture's local file when taken
    QString error;    // why, otherwise
};
PortalAnswer interpretScreenshotResponse(uint code, const QVariantMap& results);

// The object path on which the portal answers a request made with this handle token.
QString portalRequestPath(const QString& uniqueBusName, const QString& token);

// The portal's picture covers the whole layout (the bounding box of every screen) at the
// largest output scale: where one screen is in it, and at what scale. Empty when the picture
// cannot be that layout.
struct LayoutCrop {
    QRect pixels;
    qreal scale = 0;
};
std::optional<LayoutCrop> layoutCrop(const QRect& screen, const QRect& layout,
                                     const QSize& picture);

// Reads the screen through the XDG desktop portal's Screenshot interface (GNOME, KDE and
// every desktop with a portal backend), without asking the user where the desktop allows it.
// The portal's file is read and removed at once.
class PortalDisplayCapture final : public QObject, public DisplayCapture {
    Q_OBJECT
public:
    // layout: the logical geometry of every screen now, to place one screen in the picture.
    explicit PortalDisplayCapture(std::function<QList<QRect>()> layout);

    // True when the session's portal offers Screenshot.
    static bool available();

    DisplayImage captureDisplay(const ScreenInfo& screen) override;
    // One screenshot of the whole layout; waits at most timeoutMs for the portal's answer.
    // The desktop may ask the user first, which is what a request for access needs.
    DisplayImage captureLayout(int timeoutMs);

    static constexpr int replyTimeoutMs = 10000;

private:
    std::function<QList<QRect>()> layout_;
    bool busy_ = false;
};

} // namespace vellumbox
