// SPDX-License-Identifier: GPL-3.0-or-later
#include "SignatureCheck.h"

#include <QCoreApplication>
#include <QFile>

#include <sodium.h>

namespace vellumbox {

namespace {

bool sodiumReady()
{
    // Safe to call more than once; fails only without a source of randomness.
    static const bool ready = sodium_init() >= 0;
    return ready;
}

} // namespace

PackageCheck checkPackage(const QString& path, qint64 expectedLength, const QByteArray& signature,
                          const QByteArray& publicKey)
{
    static_assert(crypto_sign_BYTES == 64 && crypto_sign_PUBLICKEYBYTES == ed25519PublicKeyBytes);
    if (signature.size() != crypto_sign_BYTES || publicKey.size() != crypto_sign_PUBLICKEYBYTES)
        return PackageCheck::Unsigned;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return PackageCheck::Unreadable;
    if (file.size() != expectedLength)
        return PackageCheck::WrongLength;
    if (!sodiumReady())
        return PackageCheck::BadSignature;
    // Mapped rather than read: a package may be large, and Ed25519 signs the whole message.
    const uchar* content = expectedLength > 0 ? file.map(0, expectedLength) : nullptr;
    if (expectedLength > 0 && !content)
        return PackageCheck::Unreadable;
    const int result =
        crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(signature.constData()),
                                    content, static_cast<unsigned long long>(expectedLength),
                                    reinterpret_cast<const unsigned char*>(publicKey.constData()));
    return result == 0 ? PackageCheck::Valid : PackageCheck::BadSignature;
}

QString describe(PackageCheck check)
{
    switch (check) {
    case PackageCheck::Valid:
        return QCoreApplication::translate("SignatureCheck", "the update is valid");
    case PackageCheck::Unreadable:
        return QCoreApplication::translate("SignatureCheck",
                                           "the downloaded update could not be read");
    case PackageCheck::WrongLength:
        return QCoreApplication::translate(
            "SignatureCheck", "the downloaded update does not have the announced size");
    case PackageCheck::Unsigned:
        return QCoreApplication::translate("SignatureCheck", "the update is not signed");
    case PackageCheck::BadSignature:
        return QCoreApplication::translate(
            "SignatureCheck", "the update is improperly signed and could not be validated");
    }
    return {};
}

} // namespace vellumbox
