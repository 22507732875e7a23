// SPDX-License-Identifier: GPL-3.0-or-later
#include "Clock.h"
#include "DesktopPermission.h"
#include "GioShareService.h"
#include "LoadableTextRecognizer.h"
#include "PlatformServices.h"
#include "QtAlertPresenter.h"
#include "QtClipboard.h"
#include "QtCursorService.h"
#include "QtSaveDialog.h"
#include "QtScreenProvider.h"
#include "QtSettings.h"
#include "X11DisplayCapture.h"
#include "X11GlobalInputMonitor.h"
#include "X11WindowSystem.h"
#include "XdgAutostart.h"

namespace vellumbox {

namespace {

struct LinuxServices {
    QtScreenProvider screens;
    X11DisplayCapture capture;
    DesktopPermission permission;
    QtAlertPresenter alerts;
    QtCursorService cursor;
    X11WindowSystem windows;
    QtSettings settings;
    QtClipboard clipboard;
    QtSaveDialog saveDialog;
    SystemClock clock;
    GioShareService share;
    X11GlobalInputMonitor globalInput;
    XdgAutostart loginItems;
    LoadableTextRecognizer textRecognizer{QStringLiteral("libvellumbox_tesseract.so"),
                                          textRecognitionModuleFolders()};
    PlatformServices services{screens, capture,     permission, alerts,        cursor,
                              windows, settings,    clipboard,  saveDialog,    clock,
                              share,   globalInput, loginItems, textRecognizer};
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
