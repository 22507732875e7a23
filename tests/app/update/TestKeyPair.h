// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// A fresh Ed25519 key pair from libsodium, to sign test packages with.
struct TestKeyPair {
    TestKeyPair();
    QByteArray sign(const QByteArray& message) const;

    QByteArray publicKey;
    QByteArray secretKey;
};
