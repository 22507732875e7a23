// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptureChoice.h"
#include "Clock.h"
#include "DesktopPermission.h"
#include "DesktopShortcuts.h"
#include "GioShareService.h"
#include "KWinScreenShot.h"
#include "LoadableTextEngine.h"
#include "PlatformServices.h"
#include "PortalPermission.h"
#include "PortalScreenshot.h"
#include "QtAlertPresenter.h"
#include "QtClipboard.h"
#include "QtCursorService.h"
#include "QtSaveDialog.h"
#include "QtScreenProvider.h"
#include "QtSettings.h"
#include "WlrScreencopyCapture.h"
#include "X11DisplayCapture.h"
#include "X11GlobalInputMonitor.h"
#include "X11WindowSystem.h"
#include "XdgAutostart.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <memory>

namespace vellumbox {

namespace {

Q_LOGGING_CATEGORY(lcPlatform, "vellumbox.Platform")

// A Wayland session that offers no way to read the screen: say so at each capture rather
// than show XWayland's black picture.
class UnavailableCapture final : public DisplayCapture {
public:
    DisplayImage captureDisplay(const ScreenInfo& /*screen*/) override
    {
        return {{},
                QCoreApplication::translate(
                    "LinuxPlatform", "This Wayland session lets no application read the screen: it "
                                     "offers neither the wlroots screen-copy protocol nor the "
                                     "desktop portal's Screenshot interface.")};
    }
};

std::unique_ptr<DisplayCapture> makeDisplayCapture(QtScreenProvider& screens)
{
    std::unique_ptr<WlrScreencopyCapture> screencopy;
    const CaptureMethod method = chooseCaptureMethod(
        qgetenv("VELLUMBOX_CAPTURE"),
        isWaylandSession(qgetenv("XDG_SESSION_TYPE"), qgetenv("WAYLAND_DISPLAY")),
        {[&screencopy] {
             screencopy = WlrScreencopyCapture::connect();
             return screencopy != nullptr;
         },
         [] { return KWinScreenShotCapture::available(); },
         [] { return PortalDisplayCapture::available(); }});
    qCInfo(lcPlatform) << "The screen is read through" << captureMethodName(method);
    const auto portal = [&screens]() -> std::unique_ptr<DisplayCapture> {
        return std::make_unique<PortalDisplayCapture>([&screens] {
            QList<QRect> layout;
            for (const ScreenInfo& screen : screens.screens())
                layout.append(screen.geometry);
            return layout;
        });
    };
    switch (method) {
    case CaptureMethod::X11:
        return std::make_unique<X11DisplayCapture>();
    case CaptureMethod::WlrScreencopy:
        return screencopy;
    case CaptureMethod::KWin:
        // Used when KWin refuses this program its screenshots.
        return std::make_unique<KWinScreenShotCapture>(
            PortalDisplayCapture::available() ? portal() : std::make_unique<UnavailableCapture>());
    case CaptureMethod::Portal:
        return portal();
    case CaptureMethod::None:
        break;
    }
    qCCritical(lcPlatform) << "This session offers no way to read the screen";
    return std::make_unique<UnavailableCapture>();
}

// Where the portal reads the screen, the desktop may ask the user first; elsewhere every
// program may read it.
std::unique_ptr<ScreenRecordingPermission> makePermission(DisplayCapture& capture)
{
    if (auto* portal = dynamic_cast<PortalDisplayCapture*>(&capture)) {
        const bool asks = qEnvironmentVariable("XDG_CURRENT_DESKTOP")
                              .split(QLatin1Char(':'))
                              .contains(QStringLiteral("GNOME"), Qt::CaseInsensitive);
        return std::make_unique<PortalPermission>(*portal, asks);
    }
    return std::make_unique<DesktopPermission>();
}

// sway's XWayland manager centres managed windows and ignores their moves, their stacking and
// their workspaces.
bool managerHonoursPlacement()
{
    return !isWaylandSession(qgetenv("XDG_SESSION_TYPE"), qgetenv("WAYLAND_DISPLAY")) ||
           (qEnvironmentVariableIsEmpty("SWAYSOCK") &&
            !qEnvironmentVariable("XDG_CURRENT_DESKTOP")
                 .contains(QLatin1String("sway"), Qt::CaseInsensitive));
}

// KWin and GNOME feed XWayland keys only while one of its managed windows has the focus.
bool grabNeedsFocusProxy()
{
    return managerHonoursPlacement() &&
           isWaylandSession(qgetenv("XDG_SESSION_TYPE"), qgetenv("WAYLAND_DISPLAY"));
}

struct LinuxServices {
    QtScreenProvider screens;
    std::unique_ptr<DisplayCapture> captureMethod = makeDisplayCapture(screens);
    DisplayCapture& capture = *captureMethod;
    std::unique_ptr<ScreenRecordingPermission> permissionMethod = makePermission(capture);
    ScreenRecordingPermission& permission = *permissionMethod;
    QtAlertPresenter alerts;
    QtCursorService cursor;
    X11WindowSystem windows{managerHonoursPlacement(), grabNeedsFocusProxy()};
    QtSettings settings;
    QtClipboard clipboard;
    QtSaveDialog saveDialog;
    SystemClock clock;
    GioShareService share;
    X11GlobalInputMonitor globalInput;
    XdgAutostart loginItems;
    LoadableTextEngine textEngine{QStringLiteral("libvellumbox_tesseract.so"),
                                  textRecognitionModuleFolders()};
    LinuxDesktopShortcuts shortcuts;
    PlatformServices services{screens, capture,     permission, alerts,     cursor,
                              windows, settings,    clipboard,  saveDialog, clock,
                              share,   globalInput, loginItems, textEngine, shortcuts};
};

} // namespace

PlatformServices& linuxPlatform()
{
    // Deliberately never destroyed: the shared managers that use it live until the process
    // ends, and its Qt objects must not be torn down after QApplication is gone.
    static auto* services = new LinuxServices;
    return services->services;
}

} // namespace vellumbox
