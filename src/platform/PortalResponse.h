// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QVariantMap>

#include <optional>

namespace vellumbox {

// A portal request's outcome: the Response signal's code and results, or why there is none.
struct PortalReply {
    std::optional<uint> code; // unset: no answer
    QVariantMap results;
    QString error; // the call failed, or the answer did not come in time
};

// Calls a portal method whose last argument is its options, and waits at most timeoutMs for
// the answer on the request's Response signal, listened to before the call (the answer may
// come before the call returns). The handle token is added to the options.
PortalReply callPortal(const QString& interface, const QString& method, QVariantList arguments,
                       QVariantMap options, int timeoutMs);

// True when a service on the session bus answers for one of its interfaces: reading the
// interface's version property (the service may be started for it).
bool offersInterface(const QString& service, const QString& path, const QString& interface,
                     const QString& versionProperty = QStringLiteral("version"));

// Receives the Response signal of one request.
class PortalResponse : public QObject {
    Q_OBJECT
public:
    std::optional<uint> code;
    QVariantMap results;

public Q_SLOTS:
    void response(uint answer, const QVariantMap& values)
    {
        code = answer;
        results = values;
        Q_EMIT answered();
    }

Q_SIGNALS:
    void answered();
};

} // namespace vellumbox
