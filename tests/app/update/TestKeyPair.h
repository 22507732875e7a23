// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <sodium.h>

#include <cstdlib>

// A fresh Ed25519 key pair from libsodium, to sign test packages with.
struct TestKeyPair {
    QByteArray publicKey = QByteArray(crypto_sign_PUBLICKEYBYTES, '\0');
    QByteArray secretKey = QByteArray(crypto_sign_SECRETKEYBYTES, '\0');

    TestKeyPair()
    {
        if (sodium_init() < 0)
            std::abort();
        crypto_sign_keypair(reinterpret_cast<uchar*>(publicKey.data()),
                            reinterpret_cast<uchar*>(secretKey.data()));
    }
    QByteArray sign(const QByteArray& message) const
    {
        QByteArray signature(crypto_sign_BYTES, '\0');
        crypto_sign_detached(reinterpret_cast<uchar*>(signature.data()), nullptr,
                             reinterpret_cast<const uchar*>(message.constData()),
                             static_cast<unsigned long long>(message.size()),
                             reinterpret_cast<const uchar*>(secretKey.constData()));
        return signature;
    }
};
