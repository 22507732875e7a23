// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

class QIODevice;
class QNetworkAccessManager;
class QNetworkReply;

namespace vellumbox {

struct TransferLimits {
    qint64 maxBytes = 0;
    int stallTimeoutMs = 30'000; // without a byte arriving
    int totalTimeoutMs = 0;      // for the whole transfer; 0 for none
};

// One GET whose size and time are bounded and whose redirects must stay on allowed
// addresses. The body is written to the sink, or kept when there is none. Finishes once.
class BoundedTransfer : public QObject {
    Q_OBJECT
public:
    BoundedTransfer(QNetworkAccessManager& network, QUrl url, TransferLimits limits,
                    QIODevice* sink = nullptr, QObject* parent = nullptr);
    ~BoundedTransfer() override;

    void start();
    // Ends the transfer without a finished signal.
    void cancel();

    const QByteArray& body() const { return body_; }

Q_SIGNALS:
    void progress(qint64 received, qint64 total);
    void finished(bool ok, const QString& error);

private:
    void onRedirected(const QUrl& target);
    void onMetaDataChanged();
    void onReadyRead();
    void onReplyFinished();
    void fail(const QString& reason);
    void finish(bool ok, const QString& error);
    void dropReply();

    QNetworkAccessManager& network_;
    QUrl url_;
    TransferLimits limits_;
    QPointer<QIODevice> sink_;
    QPointer<QNetworkReply> reply_;
    QTimer deadline_;
    QByteArray body_;
    qint64 received_ = 0;
    bool done_ = false;
};

} // namespace vellumbox
