// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppProcess.h"

#include "XHarness.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>

#include <cstdio>

namespace e2e {

AppProcess::AppProcess()
{
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    QObject::connect(&m_process, &QProcess::readyReadStandardError, &m_process,
                     [this] { readStderr(); });
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process,
                     [this] { readStdout(); });
}

AppProcess::~AppProcess()
{
    stop();
}

QString AppProcess::binaryPath()
{
    return qEnvironmentVariable("VELLUMBOX_BINARY");
}

QString AppProcess::settingsPath()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Vellumbox/Vellumbox.conf");
}

bool AppProcess::writeSettingsPastFirstRun(QString* error)
{
    if (QFileInfo::exists(settingsPath()))
        return true;
    QDir().mkpath(QFileInfo(settingsPath()).path());
    QFile file(settingsPath());
    const QByteArray content("[General]\nhasCompletedOnboarding=true\n"
                             "hasShownLoginItemPrompt=true\n");
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
        if (error)
            *error = QStringLiteral("Could not write %1").arg(settingsPath());
        return false;
    }
    return true;
}

bool AppProcess::start(const QStringList& arguments, QString* error)
{
    if (!firstRun && !writeSettingsPastFirstRun(error))
        return false;
    const QString binary = binaryPath();
    const QFileInfo info(binary);
    if (binary.isEmpty() || !info.isExecutable()) {
        if (error)
            *error = QStringLiteral("VELLUMBOX_BINARY (\"%1\") is no executable").arg(binary);
        return false;
    }
    m_lines.clear();
    m_partial.clear();
    m_process.start(binary, arguments);
    if (!m_process.waitForStarted(10000)) {
        if (error)
            *error = QStringLiteral("%1 did not start: %2").arg(binary, m_process.errorString());
        return false;
    }
    return true;
}

bool AppProcess::isRunning() const
{
    return m_process.state() == QProcess::Running;
}

bool AppProcess::stop(int timeoutMs)
{
    if (m_process.state() == QProcess::NotRunning)
        return false;
    m_process.terminate();
    if (!m_process.waitForFinished(timeoutMs)) {
        m_process.kill();
        m_process.waitForFinished(timeoutMs);
    }
    readStderr();
    readStdout();
    return m_process.state() == QProcess::NotRunning;
}

void AppProcess::readStderr()
{
    m_partial += m_process.readAllStandardError();
    qsizetype end;
    while ((end = m_partial.indexOf('\n')) >= 0) {
        const QByteArray line = m_partial.left(end);
        m_partial.remove(0, end + 1);
        std::fprintf(stderr, "  app| %s\n", line.constData());
        m_lines.append(QString::fromUtf8(line));
    }
}

void AppProcess::readStdout()
{
    const QByteArray out = m_process.readAllStandardOutput();
    if (!out.isEmpty())
        std::fprintf(stderr, "  app stdout| %s", out.constData());
}

qsizetype AppProcess::findLogLine(const QRegularExpression& re, qsizetype from) const
{
    for (qsizetype i = qMax<qsizetype>(from, 0); i < m_lines.size(); ++i) {
        if (re.match(m_lines[i]).hasMatch())
            return i;
    }
    return -1;
}

bool AppProcess::waitForLogLine(const QRegularExpression& re, int timeoutMs, qsizetype from)
{
    return waitUntil(
        [&] {
            readStderr();
            return findLogLine(re, from) >= 0;
        },
        timeoutMs);
}

} // namespace e2e
