// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopTools.h"

#include <QProcess>
#include <QTest>

namespace e2e::tools {

bool run(const QString& program, const QStringList& arguments, QByteArray* output,
         const QByteArray& input, int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    if (!output)
        process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted(timeoutMs)) {
        qWarning("%s could not be started", qPrintable(program));
        return false;
    }
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        qWarning("%s %s timed out", qPrintable(program), qPrintable(arguments.join(' ')));
        process.kill();
        process.waitForFinished();
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qWarning("%s %s failed (%d): %s", qPrintable(program), qPrintable(arguments.join(' ')),
                 process.exitCode(), process.readAllStandardError().constData());
        return false;
    }
    return true;
}

bool xdotool(const QStringList& arguments)
{
    return run(QStringLiteral("xdotool"), arguments);
}

bool key(const QString& keys)
{
    return xdotool({QStringLiteral("key"), keys});
}

bool mouseMove(const QPoint& rootPos)
{
    return xdotool(
        {QStringLiteral("mousemove"), QString::number(rootPos.x()), QString::number(rootPos.y())});
}

bool mouseDown(int button)
{
    return xdotool({QStringLiteral("mousedown"), QString::number(button)});
}

bool mouseUp(int button)
{
    return xdotool({QStringLiteral("mouseup"), QString::number(button)});
}

bool click(const QPoint& rootPos, int button)
{
    return mouseMove(rootPos) && xdotool({QStringLiteral("click"), QString::number(button)});
}

bool drag(const QPoint& from, const QPoint& to, int steps, int pauseMs)
{
    if (!mouseMove(from))
        return false;
    QTest::qWait(pauseMs);
    if (!mouseDown(1))
        return false;
    for (int i = 1; i <= steps; ++i) {
        QTest::qWait(pauseMs);
        const QPoint at = from + (to - from) * i / steps;
        if (!mouseMove(at)) {
            mouseUp(1);
            return false;
        }
    }
    QTest::qWait(pauseMs);
    return mouseUp(1);
}

} // namespace e2e::tools
