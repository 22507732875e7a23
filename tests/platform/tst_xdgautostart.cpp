// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/QtSettings.h"
#include "platform/XdgAutostart.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace vellumbox;

// Inside quotes a backslash is escaped once for Exec and once more for the key file.
const char* const kReserved = R"(/opt/a"b$c`d\e)";
const QString kReservedQuoted = R"("/opt/a\\"b\\$c\\`d\\\\e")";

class TestXdgAutostart : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // Before the first settings object: Qt reads the folder once.
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    }

    void damagedSettingsKeepWhatCanBeRead()
    {
        const QString path = m_config.path() + QStringLiteral("/Vellumbox/Vellumbox.conf");
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        static const char damaged[] =
            "[General]\nhasCompletedOnboarding=true\n\x00\xff\xfe ]]]\n[Broken\nfoo";
        // Written with its zero byte, which a C string would stop at.
        QCOMPARE(file.write(damaged, sizeof damaged - 1), qint64(sizeof damaged - 1));
        file.close();
        {
            const testing::LogCapture log;
            QtSettings settings;
            QCOMPARE(log.lines().size(), 1);
            QVERIFY2(log.lines().first().contains(QStringLiteral("is damaged")),
                     qPrintable(log.lines().first()));
            QVERIFY(settings.boolValue(QStringLiteral("hasCompletedOnboarding")));
            QVERIFY(!settings.boolValue(QStringLiteral("hasShownLoginItemPrompt")));
            settings.setBoolValue(QStringLiteral("hasShownLoginItemPrompt"), true);
        }
        const testing::LogCapture quiet;
        QtSettings reread;
        QVERIFY(quiet.lines().isEmpty()); // rewritten whole at the change
        QVERIFY(reread.boolValue(QStringLiteral("hasCompletedOnboarding")));
        QVERIFY(reread.boolValue(QStringLiteral("hasShownLoginItemPrompt")));
    }

    void execArgumentQuoting()
    {
        const auto exec = [](const QString& argument) { return desktopExecArgument(argument); };
        QCOMPARE(exec("/usr/bin/vellumbox"), QStringLiteral("/usr/bin/vellumbox"));
        QCOMPARE(exec("/home/ann/My Apps/vb"), QStringLiteral("\"/home/ann/My Apps/vb\""));
        QCOMPARE(exec(kReserved), kReservedQuoted);
        QCOMPARE(exec("/opt/100%/vb"), QStringLiteral("/opt/100%%/vb"));    // not a field code
        QCOMPARE(exec("/opt/it's/vb"), QStringLiteral("\"/opt/it's/vb\"")); // reserved, no space
        QCOMPARE(exec(""), QStringLiteral("\"\""));
    }

    void entryWrittenIntoTheAutostartFolder()
    {
        QTemporaryDir config;
        const QString binary = QStringLiteral("/home/ann/My Apps/vellumbox");
        XdgAutostart autostart(config.path(), binary);
        QString error;
        QVERIFY2(autostart.registerMainApp(&error), qPrintable(error));
        QCOMPARE(autostart.entryPath(),
                 config.path() + QStringLiteral("/autostart/org.vellumbox.Vellumbox.desktop"));
        QFile file(autostart.entryPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        QCOMPARE(lines.first(), QStringLiteral("[Desktop Entry]"));
        QVERIFY(lines.contains(QStringLiteral("Type=Application")));
        QVERIFY(lines.contains(QStringLiteral("Exec=\"%1\"").arg(binary)));
        QVERIFY(lines.contains(QStringLiteral("Icon=org.vellumbox.Vellumbox")));
        file.close();
        // Registering again replaces the entry rather than failing.
        QVERIFY2(autostart.registerMainApp(&error), qPrintable(error));
    }

    void unwritableFolderIsReported()
    {
        // A file where the folder should be cannot be written into, even by root.
        QTemporaryDir config;
        QFile blocker(config.path() + QStringLiteral("/autostart"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        XdgAutostart autostart(config.path(), QStringLiteral("/usr/bin/vellumbox"));
        QString error;
        QVERIFY(!autostart.registerMainApp(&error));
        QVERIFY2(error.contains(config.path() + QStringLiteral("/autostart")), qPrintable(error));
        QVERIFY(!QFile::exists(autostart.entryPath()));
    }

private:
    QTemporaryDir m_config;
};

QTEST_GUILESS_MAIN(TestXdgAutostart)
#include "tst_xdgautostart.moc"
