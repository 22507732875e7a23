// SPDX-License-Identifier: GPL-3.0-or-later
#include "E2eTest.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

#include <cstdio>

namespace e2e {

namespace {

QStringList at(const QPoint& p)
{
    return {QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())};
}

} // namespace

QStringList words(const char* text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '));
}

bool run(const QString& program, const QStringList& arguments, QByteArray* output)
{
    QProcess process;
    process.start(program, arguments);
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(20000);
    if (output)
        *output = process.readAllStandardOutput();
    process.kill();
    process.waitForFinished();
    if (finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    qWarning("%s %s failed: %s", qPrintable(program), qPrintable(arguments.join(' ')),
             process.readAllStandardError().constData());
    return false;
}

bool xdotool(const QStringList& arguments)
{
    return run(QStringLiteral("xdotool"), arguments);
}

bool key(const QString& keys)
{
    return xdotool({QStringLiteral("key"), keys});
}

bool park()
{
    return xdotool(at(QPoint(1700, 1000)));
}

bool click(const QPoint& p, int button)
{
    return xdotool(at(p) << QStringLiteral("click") << QString::number(button));
}

bool drag(const QPoint& from, const QPoint& to, int steps)
{
    QStringList arguments = at(from) + words("sleep 0.03 mousedown 1");
    for (int i = 1; i <= steps; ++i)
        arguments += words("sleep 0.03") + at(from + (to - from) * i / steps);
    return xdotool(arguments + words("sleep 0.03 mouseup 1"));
}

QByteArray clipboard(const QString& type)
{
    QStringList arguments = words("-selection clipboard -o");
    if (!type.isEmpty())
        arguments << QStringLiteral("-t") << type;
    QByteArray content;
    return run(QStringLiteral("xclip"), arguments, &content) ? content : QByteArray();
}

AppProcess::AppProcess()
{
    process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    QObject::connect(&process, &QProcess::readyReadStandardError, &process, [this] {
        m_partial += process.readAllStandardError();
        for (qsizetype end; (end = m_partial.indexOf('\n')) >= 0; m_partial.remove(0, end + 1)) {
            m_lines.append(QString::fromUtf8(m_partial.left(end)));
            std::fprintf(stderr, "  app| %s\n", qPrintable(m_lines.last()));
        }
    });
}

bool AppProcess::start(const QStringList& arguments, QString* why)
{
    process.start(qEnvironmentVariable("VELLUMBOX_BINARY"), arguments);
    const bool started = process.waitForStarted(10000);
    *why = process.errorString();
    return started;
}

bool AppProcess::stop()
{
    if (process.state() != QProcess::NotRunning) {
        process.terminate();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished();
            return false;
        }
    }
    return process.exitStatus() == QProcess::NormalExit;
}

bool AppProcess::hasLine(const QString& pattern) const
{
    const QRegularExpression re(pattern);
    return std::any_of(m_lines.cbegin(), m_lines.cend(),
                       [&](const QString& line) { return re.match(line).hasMatch(); });
}

QString E2eTest::settingsPath()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Vellumbox/Vellumbox.conf");
}

bool E2eTest::startApp(AppProcess& app, const QStringList& arguments)
{
    QFile settings(settingsPath());
    if (!settings.exists() &&
        !(QDir().mkpath(QFileInfo(settings).path()) && settings.open(QIODevice::WriteOnly) &&
          settings.write("[General]\nhasCompletedOnboarding=true\n"
                         "hasShownLoginItemPrompt=true\n") > 0))
        return fail(QStringLiteral("could not write ") + settingsPath());
    settings.close();
    if (!app.start(arguments, &m_why))
        return false;
    return app.waitForLine(
               QStringLiteral("^info vellumbox.Hotkey: Hot key Ctrl.Shift.9 registered$")) ||
           fail(QStringLiteral("the hot key was not registered; log:\n") + app.log());
}

bool E2eTest::fail(const QString& why)
{
    m_why = why;
    return false;
}

bool E2eTest::showBackground(const QImage& image)
{
    m_shown = image.cacheKey();
    return m_x.setBackground(image) || fail(QStringLiteral("the background did not show"));
}

void E2eTest::initTestCase()
{
    const QString binary = qEnvironmentVariable("VELLUMBOX_BINARY");
    QVERIFY2(QFileInfo(binary).isExecutable(), qPrintable(binary + QStringLiteral(" won't run")));
    QVERIFY2(m_x.isConnected(), "no X server: run under tools/session.sh");
    QCOMPARE(m_x.rootSize(), QSize(3200, 1080));
    // Each mode must really run with, or without, a compositor.
    QCOMPARE(m_x.hasSelectionOwner("_NET_WM_CM_S0"),
             qEnvironmentVariable("VELLUMBOX_E2E_COMPOSITOR") == QStringLiteral("1"));
    m_pattern = pattern::image(0, QRect(QPoint(0, 0), m_x.rootSize()));
    setUp();
}

void E2eTest::init()
{
    if (m_shown != m_pattern.cacheKey())
        CHECK_STEP(showBackground(m_pattern));
    QVERIFY(park());
    if (QByteArray(QTest::currentTestFunction()).startsWith("launch")) {
        m_app.reset();
    } else if (!m_app || !m_app->isRunning()) {
        m_app = std::make_unique<AppProcess>();
        prepare(*m_app);
        CHECK_STEP(startApp(*m_app));
    }
}

void E2eTest::cleanup()
{
    const bool crashed = m_app && m_app->process.exitStatus() == QProcess::CrashExit;
    const bool failed = QTest::currentTestFailed();
    if (failed)
        xdotool(words("mouseup 1"));
    for (const WindowInfo& shot : m_x.windowsNamed(kScreenshot))
        click(shot.geometry.center());
    // The next scenario gets a fresh instance rather than this one's leftovers.
    if (crashed || failed || !m_x.waitForWindows(kScreenshot, 0) ||
        !m_x.windowsNamed(kSelection).isEmpty() || !alerts().isEmpty())
        m_app.reset();
    QVERIFY2(!crashed, "the program crashed");
}

bool E2eTest::openSelection(QList<WindowInfo>* found)
{
    return (park() && key(QStringLiteral("ctrl+shift+9")) && awaitSelection(found)) ||
           fail(QStringLiteral("no selection after the hot key; ") + m_why);
}

bool E2eTest::awaitSelection(QList<WindowInfo>* found)
{
    QList<WindowInfo> windows;
    if (!m_x.waitForWindows(kSelection, 2, &windows))
        return fail(QStringLiteral("%1 selection windows instead of 2").arg(windows.size()));
    if (found)
        *found = windows;
    // A person drags once the selection is up, which is when it holds the input.
    return waitUntil([&] { return m_x.grabbedElsewhere(true) && m_x.grabbedElsewhere(false); }) ||
           fail(QStringLiteral("the selection holds no keyboard and pointer grab"));
}

bool E2eTest::capture(const QRect& area, WindowInfo* shot)
{
    QList<WindowInfo> shots = m_x.windowsNamed(kScreenshot);
    const QList<WindowInfo> before = shots;
    if (!openSelection())
        return false;
    if (!drag(area.topLeft(), area.bottomRight() + QPoint(1, 1)) || !park() ||
        !m_x.waitForWindows(kSelection, 0))
        return fail(QStringLiteral("the selection stayed after the drag"));
    if (!m_x.waitForWindows(kScreenshot, int(before.size() + 1), &shots))
        return fail(QStringLiteral("%1 screenshots after %2").arg(shots.size()).arg(before.size()));
    for (const WindowInfo& w : std::as_const(shots)) {
        if (std::none_of(before.cbegin(), before.cend(),
                         [&](const WindowInfo& b) { return b.id == w.id; }))
            *shot = w;
    }
    const QRect& g = shot->geometry;
    return g == area || fail(QStringLiteral("a screenshot of %1x%2 at (%3, %4)")
                                 .arg(g.width())
                                 .arg(g.height())
                                 .arg(g.x())
                                 .arg(g.y()));
}

bool E2eTest::chooseFromMenu(const QPoint& p, int downs, const QStringList& then)
{
    const auto popups = [&] {
        const QList<WindowInfo> all = m_x.windows();
        return std::count_if(all.cbegin(), all.cend(),
                             [](const WindowInfo& w) { return w.overrideRedirect; });
    };
    const qsizetype closed = popups();
    qsizetype shown = closed;
    const auto opened = [&] {
        const bool ok = waitUntil([&] { return popups() > shown; });
        shown = popups();
        return ok;
    };
    // Two presses of a button within the double-click interval (0.4 s) make a double click.
    if (m_rightClick.isValid())
        QTest::qWait(int(qMax<qint64>(0, 1000 - m_rightClick.elapsed())));
    m_rightClick.start();
    if (!click(p, 3) || !opened())
        return fail(QStringLiteral("no menu at (%1, %2)").arg(p.x()).arg(p.y()));
    QStringList keys = QStringList(downs, QStringLiteral("Down")) + then;
    if (keys.isEmpty())
        return true;
    // Keys up to a submenu in one go, then wait for it to open.
    for (qsizetype right; (right = keys.indexOf(QStringLiteral("Right"))) >= 0;
         keys.remove(0, right + 1)) {
        if (!xdotool(QStringList{QStringLiteral("key")} + keys.mid(0, right + 1)) || !opened())
            return fail(QStringLiteral("no submenu"));
    }
    if (!keys.isEmpty() && !xdotool(QStringList{QStringLiteral("key")} + keys))
        return fail(QStringLiteral("xdotool failed"));
    return waitUntil([&] { return popups() <= closed; }) || fail(QStringLiteral("the menu stayed"));
}

bool E2eTest::focusScreenshot(const WindowInfo& shot)
{
    // A second is far past the 0.3 s of a click, however loaded the machine.
    if (!xdotool(at(shot.geometry.center()) + words("mousedown 1 sleep 1 mouseup 1")))
        return fail(QStringLiteral("xdotool failed"));
    return waitUntil([&] { return m_x.hasFocus(shot); }) ||
           fail(QStringLiteral("the screenshot did not take the focus"));
}

QList<WindowInfo> E2eTest::alerts()
{
    QList<WindowInfo> found = m_x.windowsNamed(QStringLiteral("Vellumbox"));
    found.removeIf([](const WindowInfo& w) { return w.geometry.width() <= 64; });
    return found;
}

bool E2eTest::dismissAlert()
{
    QList<WindowInfo> shown;
    if (!waitUntil([&] { return (shown = alerts()).size() == 1; }, 30000))
        return fail(QStringLiteral("%1 alerts instead of 1").arg(shown.size()));
    return (waitUntil([&] { return m_x.hasFocus(shown.first()); }) &&
            key(QStringLiteral("Return")) && waitUntil([&] { return alerts().isEmpty(); })) ||
           fail(QStringLiteral("the alert did not take the focus and Return"));
}

} // namespace e2e
