// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>

namespace vellumbox {

class GlobalInputMonitor;
class ScreenshotOverlayPanel;

// What edit mode watches besides its own window: Escape anywhere in the application (which
// it swallows) or in another application ends edit mode; the pointer over the screenshot keeps
// the tool's cursor, and a press or move over it while another application is in front
// brings it forward, ready to draw. Exists only during edit mode.
class EditModeMonitors : public QObject {
    Q_OBJECT
public:
    EditModeMonitors(ScreenshotOverlayPanel& panel, GlobalInputMonitor& global);
    ~EditModeMonitors() override;
    EditModeMonitors(const EditModeMonitors&) = delete;
    EditModeMonitors& operator=(const EditModeMonitors&) = delete;

    // Stops watching at once; the object itself may go later.
    void remove();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void otherApplicationInput(int input);

    QPointer<ScreenshotOverlayPanel> panel_;
    GlobalInputMonitor& global_;
    int subscription_ = -1;
    bool installed_ = false;
};

} // namespace vellumbox
