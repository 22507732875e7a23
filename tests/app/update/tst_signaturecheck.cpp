// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestKeyPair.h"
#include "app/update/SignatureCheck.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sodium.h>

using namespace vellumbox;

namespace {

using KeyPair = TestKeyPair;

QByteArray packageBytes()
{
    QByteArray bytes;
    for (int i = 0; i < 100'000; ++i)
        bytes.append(static_cast<char>((i * 31) & 0xff));
    return bytes;
}

} // namespace

class TestSignatureCheck : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void checks_data();
    void checks();
    void decodesOnlyWholeKeys();

private:
    QString write(const QByteArray& content);
    QTemporaryDir dir_;
    int files_ = 0;
};

void TestSignatureCheck::initTestCase()
{
    QVERIFY(sodium_init() >= 0);
    QVERIFY(dir_.isValid());
}

QString TestSignatureCheck::write(const QByteArray& content)
{
    QString path = dir_.filePath(QStringLiteral("package-%1").arg(++files_));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return {};
    return path;
}

void TestSignatureCheck::checks_data()
{
    QTest::addColumn<QByteArray>("onDisk");
    QTest::addColumn<qint64>("announcedLength");
    QTest::addColumn<QByteArray>("signature");
    QTest::addColumn<QByteArray>("publicKey");
    QTest::addColumn<PackageCheck>("expected");

    const KeyPair ours;
    const KeyPair theirs;
    const QByteArray package = packageBytes();
    const QByteArray good = ours.sign(package);
    const qint64 length = package.size();
    QByteArray tampered = package;
    tampered[50'000] = static_cast<char>(tampered.at(50'000) ^ 1);
    QByteArray badSignature = good;
    badSignature[0] = static_cast<char>(badSignature.at(0) ^ 0x80);
    const QByteArray truncated = package.left(package.size() - 1);

    QTest::newRow("good") << package << length << good << ours.publicKey << PackageCheck::Valid;
    QTest::newRow("wrong key") << package << length << good << theirs.publicKey
                               << PackageCheck::BadSignature;
    QTest::newRow("signed by someone else") << package << length << theirs.sign(package)
                                            << ours.publicKey << PackageCheck::BadSignature;
    QTest::newRow("tampered file")
        << tampered << length << good << ours.publicKey << PackageCheck::BadSignature;
    QTest::newRow("altered signature")
        << package << length << badSignature << ours.publicKey << PackageCheck::BadSignature;
    QTest::newRow("truncated file")
        << truncated << length << good << ours.publicKey << PackageCheck::WrongLength;
    QTest::newRow("padded file") << package + "x" << length << good << ours.publicKey
                                 << PackageCheck::WrongLength;
    // Length and signature both describe the truncated file: still not ours.
    QTest::newRow("truncated, length to match") << truncated << qint64(truncated.size()) << good
                                                << ours.publicKey << PackageCheck::BadSignature;
    QTest::newRow("no signature") << package << length << QByteArray() << ours.publicKey
                                  << PackageCheck::Unsigned;
    QTest::newRow("short signature")
        << package << length << good.left(63) << ours.publicKey << PackageCheck::Unsigned;
    QTest::newRow("no key") << package << length << good << QByteArray() << PackageCheck::Unsigned;
}

void TestSignatureCheck::checks()
{
    QFETCH(QByteArray, onDisk);
    QFETCH(qint64, announcedLength);
    QFETCH(QByteArray, signature);
    QFETCH(QByteArray, publicKey);
    QFETCH(PackageCheck, expected);
    const QString path = write(onDisk);
    QVERIFY(!path.isEmpty());
    QCOMPARE(checkPackage(path, announcedLength, signature, publicKey), expected);
}

void TestSignatureCheck::decodesOnlyWholeKeys()
{
    const KeyPair pair;
    QCOMPARE(decodePublicKey(QString::fromLatin1(pair.publicKey.toBase64())), pair.publicKey);
    QVERIFY(decodePublicKey(QString::fromLatin1(pair.publicKey.left(31).toBase64())).isEmpty());
    QVERIFY(decodePublicKey(QStringLiteral("not a key at all!")).isEmpty());
    QVERIFY(decodePublicKey({}).isEmpty());
    // A file that has gone is unreadable, not valid.
    QCOMPARE(
        checkPackage(dir_.filePath(QStringLiteral("missing")), 10, pair.sign("x"), pair.publicKey),
        PackageCheck::Unreadable);
}

QTEST_GUILESS_MAIN(TestSignatureCheck)
#include "tst_signaturecheck.moc"
