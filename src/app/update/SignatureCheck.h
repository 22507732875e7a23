// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace vellumbox {

inline constexpr qsizetype ed25519PublicKeyBytes = 32;

enum class PackageCheck { Valid, Unreadable, WrongLength, Unsigned, BadSignature };

// Checks that the file has the announced length and that its whole content carries an
// Ed25519 signature by the key. Checks the length first, so a truncated or padded file is
// never read whole.
PackageCheck checkPackage(const QString& path, qint64 expectedLength, const QByteArray& signature,
                          const QByteArray& publicKey);

QString describe(PackageCheck check);

} // namespace vellumbox
