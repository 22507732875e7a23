// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TestPattern.h"
#include "XHarness.h"

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QStringList>

#include <memory>

// A helper's failure as a test failure, with the helper's reason.
#define CHECK_STEP(step) QVERIFY2(step, qPrintable(QStringLiteral(#step ": ") + m_why))

namespace e2e {

inline const QString kSelection = QStringLiteral("Vellumbox Selection");
inline const QString kScreenshot = QStringLiteral("Vellumbox Screenshot");

// Input and the clipboard through the tools a person's desktop uses, so that the program sees
// real server events and real selection owners. Coordinates are root (device) pixels.
QStringList words(const char* text); // "Right Return" -> {"Right", "Return"}
bool run(const QString& program, const QStringList& arguments, QByteArray* output = nullptr);
bool xdotool(const QStringList& arguments);
bool key(const QString& keys); // xdotool syntax: "ctrl+shift+9", "Escape"
bool park();                   // the pointer away from every sampled or captured area
bool click(const QPoint& at, int button = 1);
bool drag(const QPoint& from, const QPoint& to, int steps = 4);
// What another application pastes: the clipboard as type, or as text.
QByteArray clipboard(const QString& type = {});

// The program from $VELLUMBOX_BINARY; its stderr is kept for the test and echoed into its log.
class AppProcess {
public:
    AppProcess();
    ~AppProcess() { stop(); }
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    bool start(const QStringList& arguments, QString* why);
    bool stop(); // SIGTERM, then SIGKILL; true when it ended by itself
    bool isRunning() const { return process.state() == QProcess::Running; }
    bool hasLine(const QString& pattern) const;
    bool waitForLine(const QString& pattern)
    {
        return waitUntil([&] { return hasLine(pattern); });
    }
    QString log() const { return m_lines.join(QLatin1Char('\n')); }

    QProcess process;

private:
    QByteArray m_partial;
    QStringList m_lines;
};

// What every scenario shares: a checked session, one running instance of the program (started
// when missing, again after a scenario that failed or left a window behind) and the steps a
// person takes. A scenario whose name starts with "launch" starts the program itself.
class E2eTest : public QObject {
    Q_OBJECT

protected:
    virtual void setUp() {}              // once the session has been checked
    virtual void prepare(AppProcess&) {} // before each start of the shared instance
    // Started past the first run, once it has registered the hot key.
    bool startApp(AppProcess& app, const QStringList& arguments = {});
    static QString settingsPath();
    // Shown until the next scenario, which starts with pattern 0 again.
    bool showBackground(const QImage& image);

    // The selection on both screens, once it holds the keyboard and the pointer.
    bool awaitSelection(QList<WindowInfo>* found = nullptr);
    bool openSelection(QList<WindowInfo>* found = nullptr); // by the hot key
    // A selection of area (root pixels), and the new screenshot that shows it.
    bool capture(const QRect& area, WindowInfo* shot);
    // A right click at at, then keys (Down n times, the rest as given), waiting for each menu to
    // open, and for all to close unless no key was given.
    bool chooseFromMenu(const QPoint& at, int downs,
                        const QStringList& then = {QStringLiteral("Return")});
    // A press longer than a click: the screenshot takes the focus without closing.
    bool focusScreenshot(const WindowInfo& shot);
    // The alerts up now: titled with the program's name, as is the small tray icon.
    QList<WindowInfo> alerts();
    bool dismissAlert();
    bool fail(const QString& why);

    XHarness m_x;
    std::unique_ptr<AppProcess> m_app;
    QString m_why;

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

private:
    QImage m_pattern;
    qint64 m_shown = 0;
    QElapsedTimer m_rightClick;
};

} // namespace e2e
