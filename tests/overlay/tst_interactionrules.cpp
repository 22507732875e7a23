// SPDX-License-Identifier: GPL-3.0-or-later
#include "overlay/InteractionRules.h"

#include <QTest>

using namespace vellumbox;

Q_DECLARE_METATYPE(vellumbox::KeyCommand)

class TestInteractionRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keys_data();
    void keys();
    void clickOrDrag();
    void resizeStates();
    void encodingFollowsTheExtension();
    void defaultNameHasNoSlash();
};

void TestInteractionRules::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("capsLock");
    QTest::addColumn<bool>("editing");
    QTest::addColumn<KeyCommand>("command");
    const int ctrl = Qt::ControlModifier;
    const int ctrlShift = int(Qt::ControlModifier | Qt::ShiftModifier);
    QTest::newRow("ctrl+c") << int(Qt::Key_C) << ctrl << false << false << KeyCommand::Copy;
    QTest::newRow("ctrl+s") << int(Qt::Key_S) << ctrl << false << false << KeyCommand::Save;
    QTest::newRow("ctrl+w") << int(Qt::Key_W) << ctrl << false << false << KeyCommand::Close;
    QTest::newRow("ctrl+c, caps lock")
        << int(Qt::Key_C) << ctrl << true << false << KeyCommand::PassOn;
    QTest::newRow("ctrl+alt+c") << int(Qt::Key_C) << (ctrl | int(Qt::AltModifier)) << false << false
                                << KeyCommand::PassOn;
    QTest::newRow("ctrl+keypad c") << int(Qt::Key_C) << (ctrl | int(Qt::KeypadModifier)) << false
                                   << false << KeyCommand::PassOn;
    QTest::newRow("c alone") << int(Qt::Key_C) << 0 << false << false << KeyCommand::PassOn;
    QTest::newRow("ctrl+shift+c") << int(Qt::Key_C) << ctrlShift << false << false
                                  << KeyCommand::PassOn;
    QTest::newRow("ctrl+shift+z") << int(Qt::Key_Z) << ctrlShift << false << true
                                  << KeyCommand::Swallow;
    QTest::newRow("ctrl+z outside edit mode")
        << int(Qt::Key_Z) << ctrl << false << false << KeyCommand::Swallow;
    QTest::newRow("ctrl+x") << int(Qt::Key_X) << ctrl << false << false << KeyCommand::PassOn;
    QTest::newRow("escape") << int(Qt::Key_Escape) << 0 << false << false << KeyCommand::Swallow;
    QTest::newRow("escape in edit mode, any modifier")
        << int(Qt::Key_Escape) << int(Qt::AltModifier) << true << true << KeyCommand::ExitEditMode;
}

void TestInteractionRules::keys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, capsLock);
    QFETCH(bool, editing);
    QFETCH(KeyCommand, command);
    QCOMPARE(keyCommandFor(key, Qt::KeyboardModifiers(modifiers), capsLock, editing, false),
             command);
}

void TestInteractionRules::clickOrDrag()
{
    const QPointF pressed(100, 100);
    QVERIFY(!isDragDistance(pressed, {104.9, 100}));
    QVERIFY(isDragDistance(pressed, {105.0, 100}));
    QVERIFY(isDragDistance(pressed, {103, 104})); // exactly 5 along the diagonal
    QVERIFY(!isDragDistance(pressed, {103, 103.9}));
    QVERIFY(isClickDuration(0));
    QVERIFY(isClickDuration(299));
    QVERIFY(!isClickDuration(300));
}

void TestInteractionRules::resizeStates()
{
    const auto states = [](double scale) {
        QStringList out;
        for (const ResizePreset& p : resizePresets(scale))
            out.append(QStringLiteral("%1%2%3").arg(
                p.title, p.enabled ? QString() : QStringLiteral(" off"),
                p.checked ? QStringLiteral(" checked") : QString()));
        return out;
    };
    QCOMPARE(states(2.0), (QStringList{QStringLiteral("100% (Original)"),
                                       QStringLiteral("125% off"), QStringLiteral("150% off"),
                                       QStringLiteral("200% checked"), QStringLiteral("300%")}));
    QCOMPARE(states(1.0),
             (QStringList{QStringLiteral("100% (Original) checked"), QStringLiteral("125%"),
                          QStringLiteral("150%"), QStringLiteral("200%"), QStringLiteral("300%")}));
    QCOMPARE(resizePresets(1.5).at(2).tag, 150);
}

void TestInteractionRules::encodingFollowsTheExtension()
{
    QCOMPARE(imageFormatForPath(QStringLiteral("/tmp/a.JPG")), QByteArray("JPEG"));
    QCOMPARE(imageFormatForPath(QStringLiteral("/tmp/a.jpeg")), QByteArray("JPEG"));
    QCOMPARE(imageFormatForPath(QStringLiteral("/tmp/a.JpEg")), QByteArray("JPEG"));
    QCOMPARE(imageFormatForPath(QStringLiteral("/tmp/a.tiff")), QByteArray("PNG"));
    QCOMPARE(imageFormatForPath(QStringLiteral("/tmp/a")), QByteArray("PNG"));
    QCOMPARE(imageFormatForPath(QStringLiteral("/tmp/x.jpg/a")), QByteArray("PNG"));
}

void TestInteractionRules::defaultNameHasNoSlash()
{
    const QDateTime when(QDate(2026, 12, 6), QTime(14, 5));
    const QString english =
        defaultScreenshotName(when, QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY2(english.startsWith(QStringLiteral("Screenshot ")), qPrintable(english));
    QVERIFY2(english.contains(QStringLiteral("2026")) &&
                 english.contains(QStringLiteral("December")),
             qPrintable(english));
    QVERIFY(!english.contains(QStringLiteral("Sunday")));
    for (const QLocale& locale :
         {QLocale(QLocale::German), QLocale(QLocale::French),
          QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::Japanese)}) {
        const QString name = defaultScreenshotName(when, locale);
        QVERIFY2(!name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char(':')),
                 qPrintable(name));
        QVERIFY2(name.contains(QStringLiteral("14")) || name.contains(QStringLiteral("2")),
                 qPrintable(name));
    }
}

QTEST_GUILESS_MAIN(TestInteractionRules)
#include "tst_interactionrules.moc"
