// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <functional>

namespace vellumbox {

inline constexpr auto instanceServiceName = "org.vellumbox.Vellumbox";
inline constexpr auto instanceObjectPath = "/org/vellumbox/Vellumbox";
inline constexpr auto instanceInterface = "org.vellumbox.Vellumbox";

// What a second launch asks of the running instance over the session bus.
class InstanceService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.vellumbox.Vellumbox")
public:
    explicit InstanceService(std::function<void()> takeScreenshot, QObject* parent = nullptr);

public Q_SLOTS:
    Q_SCRIPTABLE void TakeScreenshot();

private:
    std::function<void()> takeScreenshot_;
};

enum class InstanceRole {
    // This process runs the program (also when there is no session bus to share).
    Primary,
    // Another instance runs and took the request; this process should exit.
    Secondary,
    // Another instance holds the name but did not answer.
    Unreachable,
};

// Claims the program's bus name for this process, or hands a capture to the process that
// holds it. `message` says what happened, for the log.
InstanceRole claimSingleInstance(QDBusConnection bus, InstanceService* service, QString* message);

} // namespace vellumbox
