// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>

// A small HTTP/1.1 server on 127.0.0.1 that answers each path as it is told, well or badly.
class LoopbackHttpServer : public QObject {
    Q_OBJECT
public:
    enum class Behaviour {
        Answer,  // status, headers and body, then closes
        Silent,  // reads the request and never answers
        Endless, // a 200 without a length, then data for ever
        Trickle, // a 200, then a byte now and then, never finishing
    };

    LoopbackHttpServer();

    QUrl url(const QString& path) const;
    void answer(const QString& path, const QByteArray& body, int status = 200);
    void redirect(const QString& path, const QUrl& target);
    void misbehave(const QString& path, Behaviour behaviour)
    {
        routes_[path].behaviour = behaviour;
    }

    QStringList requests;

private:
    struct Route {
        Behaviour behaviour = Behaviour::Answer;
        int status = 200;
        QByteArray body;
        QByteArray location;
    };

    void onNewConnection();
    void serve(QTcpSocket* socket);
    static void feedForever(QTcpSocket* socket, int chunkBytes, int intervalMs);

    QTcpServer server_;
    QHash<QString, Route> routes_;
};
