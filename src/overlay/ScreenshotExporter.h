// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ShareService.h"

#include <QCoreApplication>
#include <QImage>
#include <QPointer>

#include <functional>

namespace vellumbox {

class AlertPresenter;
class AnnotationCanvas;
class Clipboard;
class Clock;
class SaveDialog;

// The picture as shown with its finished annotations drawn in at the picture's own pixel
// size: what every export hands over.
QImage flattenedScreenshot(const QImage& shown, AnnotationCanvas* canvas);

// What leaves a floating screenshot: the clipboard, a file, another application. Failures are
// told to the user; `done` runs only on success, for the screenshot's flash.
class ScreenshotExporter {
    Q_DECLARE_TR_FUNCTIONS(ScreenshotExporter)

public:
    struct Services {
        Clipboard& clipboard;
        SaveDialog& saveDialog;
        ShareService& share;
        AlertPresenter& alerts;
        Clock& clock;
    };
    explicit ScreenshotExporter(const Services& services);

    void copy(const QImage& image);
    // Asks where, then writes what `image` gives at that moment, unless `owner` is gone by
    // then: a screenshot closed while the dialog was open saves nothing.
    void save(QObject* owner, std::function<QImage()> image, std::function<void()> done);
    bool share(const ShareTarget& target, const QImage& image);
    QList<ShareTarget> shareTargets() const;

private:
    Services services_;
};

} // namespace vellumbox
