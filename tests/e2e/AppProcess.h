// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

namespace e2e {

// The application under test, started from $VELLUMBOX_BINARY with the session's environment;
// its stderr is kept line by line for the test to search, and echoed for the test log.
class AppProcess {
public:
    AppProcess();
    ~AppProcess();
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    static QString binaryPath();
    // The settings of a person past the first run: no first-run window, no login prompt.
    static bool writeSettingsPastFirstRun(QString* error = nullptr);
    static QString settingsPath();

    // Left false, start() keeps the first run out of the way of the scenario.
    bool firstRun = false;

    bool start(const QStringList& arguments = {}, QString* error = nullptr);
    bool isRunning() const;
    // Ends the process (SIGTERM, then SIGKILL); true if it was running and is gone now.
    bool stop(int timeoutMs = 5000);

    QStringList logLines() const { return m_lines; }
    // Index of the first line from index `from` matching re, or -1.
    qsizetype findLogLine(const QRegularExpression& re, qsizetype from = 0) const;
    bool waitForLogLine(const QRegularExpression& re, int timeoutMs, qsizetype from = 0);

    QProcess& process() { return m_process; }

private:
    void readStderr();
    void readStdout();

    QProcess m_process;
    QByteArray m_partial;
    QStringList m_lines;
};

} // namespace e2e
