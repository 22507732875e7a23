// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/update/Version.h"

#include <QTest>

using namespace vellumbox;

class TestVersion : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void order_data();
    void order();
};

void TestVersion::order_data()
{
    QTest::addColumn<QString>("older");
    QTest::addColumn<QString>("newer");
    QTest::newRow("numbers, not text") << "1.9"
                                       << "1.10";
    QTest::newRow("major beats minor") << "1.99.99"
                                       << "2.0";
    QTest::newRow("release beats its beta") << "2.0-beta"
                                            << "2.0";
    QTest::newRow("release beats its beta, no dash") << "2.0b1"
                                                     << "2.0";
    QTest::newRow("beta numbers") << "2.0-beta2"
                                  << "2.0-beta10";
    QTest::newRow("alpha before beta") << "2.0-alpha"
                                       << "2.0-beta";
    QTest::newRow("more parts") << "1.0"
                                << "1.0.1";
    QTest::newRow("patch beats a pre-release") << "1.0b"
                                               << "1.0.1";
    QTest::newRow("beyond 64 bits") << "1.18446744073709551615"
                                    << "1.18446744073709551616";
    QTest::newRow("huge against small") << "3"
                                        << "99999999999999999999999999999999";
    QTest::newRow("empty is oldest") << ""
                                     << "0.0.1";
}

// Each pair both ways, so that an answer of "always newer" cannot pass.
void TestVersion::order()
{
    QFETCH(QString, older);
    QFETCH(QString, newer);
    QVERIFY(compareVersions(older, newer) < 0);
    QVERIFY(compareVersions(newer, older) > 0);
}

class TestVersionEquality : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void equal_data();
    void equal();
};

void TestVersionEquality::equal_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::newRow("same") << "1.2.3"
                          << "1.2.3";
    QTest::newRow("trailing zeros") << "1.0"
                                    << "1.0.0";
    QTest::newRow("leading zeros") << "1.02"
                                   << "1.2";
    QTest::newRow("letter case") << "2.0-Beta"
                                 << "2.0-beta";
    QTest::newRow("separators") << "1-2"
                                << "1.2";
}

void TestVersionEquality::equal()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QCOMPARE(compareVersions(a, b), 0);
    QCOMPARE(compareVersions(b, a), 0);
}

int main(int argc, char* argv[])
{
    TestVersion order;
    TestVersionEquality equality;
    return QTest::qExec(&order, argc, argv) | QTest::qExec(&equality, argc, argv);
}

#include "tst_version.moc"
