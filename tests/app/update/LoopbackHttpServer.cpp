// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoopbackHttpServer.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

LoopbackHttpServer::LoopbackHttpServer()
{
    server_.listen(QHostAddress::LocalHost);
    connect(&server_, &QTcpServer::newConnection, this, &LoopbackHttpServer::onNewConnection);
}

QUrl LoopbackHttpServer::url(const QString& path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
}

void LoopbackHttpServer::answer(const QString& path, const QByteArray& body, int status)
{
    routes_[path] = {Behaviour::Answer, status, body, {}};
}

void LoopbackHttpServer::redirect(const QString& path, const QUrl& target)
{
    routes_[path] = {Behaviour::Answer, 302, {}, target.toEncoded()};
}

void LoopbackHttpServer::onNewConnection()
{
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
    }
}

void LoopbackHttpServer::serve(QTcpSocket* socket)
{
    if (socket->property("served").toBool())
        return;
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", request);
    if (!request.contains("\r\n\r\n"))
        return;
    socket->setProperty("served", true);
    const QList<QByteArray> firstLine = request.left(request.indexOf("\r\n")).split(' ');
    const QString path = firstLine.size() > 1 ? QString::fromLatin1(firstLine.at(1)) : QString();
    requests.append(path);
    const Route route = routes_.value(path, Route{Behaviour::Answer, 404, "Not found", {}});
    switch (route.behaviour) {
    case Behaviour::Silent:
        return;
    case Behaviour::Endless:
        socket->write("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
        feedForever(socket, 64 * 1024, 1);
        return;
    case Behaviour::Trickle:
        socket->write("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
        feedForever(socket, 1, 20);
        return;
    case Behaviour::Answer:
        break;
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(route.status) + " Test\r\n";
    head += "Content-Length: " + QByteArray::number(route.body.size()) + "\r\n";
    head += "Connection: close\r\n";
    if (!route.location.isEmpty())
        head += "Location: " + route.location + "\r\n";
    socket->write(head + "\r\n" + route.body);
    socket->disconnectFromHost();
}

void LoopbackHttpServer::feedForever(QTcpSocket* socket, int chunkBytes, int intervalMs)
{
    auto* timer = new QTimer(socket);
    const QByteArray chunk(chunkBytes, 'x');
    const QPointer<QTcpSocket> target(socket);
    connect(timer, &QTimer::timeout, socket, [target, chunk] {
        if (target && target->state() == QAbstractSocket::ConnectedState)
            target->write(chunk);
    });
    timer->start(intervalMs);
}
