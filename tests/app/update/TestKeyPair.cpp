// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestKeyPair.h"

#include <sodium.h>

#include <cstdlib>

TestKeyPair::TestKeyPair()
    : publicKey(crypto_sign_PUBLICKEYBYTES, '\0')
    , secretKey(crypto_sign_SECRETKEYBYTES, '\0')
{
    if (sodium_init() < 0)
        std::abort();
    crypto_sign_keypair(reinterpret_cast<unsigned char*>(publicKey.data()),
                        reinterpret_cast<unsigned char*>(secretKey.data()));
}

QByteArray TestKeyPair::sign(const QByteArray& message) const
{
    QByteArray signature(crypto_sign_BYTES, '\0');
    crypto_sign_detached(reinterpret_cast<unsigned char*>(signature.data()), nullptr,
                         reinterpret_cast<const unsigned char*>(message.constData()),
                         static_cast<unsigned long long>(message.size()),
                         reinterpret_cast<const unsigned char*>(secretKey.constData()));
    return signature;
}
