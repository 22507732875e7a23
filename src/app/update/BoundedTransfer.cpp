// SPDX-License-Identifier: GPL-3.0-or-later
#include "BoundedTransfer.h"

#include "UpdateUrlPolicy.h"

#include <QIODevice>
#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace vellumbox {

namespace {

constexpr int maxRedirects = 5;

} // namespace

BoundedTransfer::BoundedTransfer(QNetworkAccessManager& network, QUrl url, TransferLimits limits,
                                 QIODevice* sink, QObject* parent)
    : QObject(parent)
    , network_(network)
    , url_(std::move(url))
    , limits_(limits)
    , sink_(sink)
{
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this,
            [this] { fail(tr("The server took too long to answer.")); });
}

BoundedTransfer::~BoundedTransfer()
{
    dropReply();
}

void BoundedTransfer::start()
{
    if (!isAllowedUpdateUrl(url_)) {
        // Reported from the event loop, like every other ending.
        QTimer::singleShot(0, this, [this] {
            fail(tr("The address %1 is not a secure address.").arg(url_.toDisplayString()));
        });
        return;
    }
    QNetworkRequest request(url_);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(maxRedirects);
    request.setTransferTimeout(limits_.stallTimeoutMs);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Vellumbox/%1").arg(QLatin1String(VELLUMBOX_VERSION)));
    QNetworkReply* reply = network_.get(request);
    reply_ = reply;
    connect(reply, &QNetworkReply::redirected, this, &BoundedTransfer::onRedirected);
    connect(reply, &QNetworkReply::metaDataChanged, this, &BoundedTransfer::onMetaDataChanged);
    connect(reply, &QNetworkReply::readyRead, this, &BoundedTransfer::onReadyRead);
    connect(reply, &QNetworkReply::finished, this, &BoundedTransfer::onReplyFinished);
    if (limits_.totalTimeoutMs > 0)
        deadline_.start(limits_.totalTimeoutMs);
}

void BoundedTransfer::cancel()
{
    done_ = true;
    deadline_.stop();
    dropReply();
}

void BoundedTransfer::onRedirected(const QUrl& target)
{
    if (!isAllowedRedirect(url_, target)) {
        fail(tr("The server redirected to %1, which is not a secure address.")
                 .arg(target.toDisplayString()));
        return;
    }
    if (reply_)
        Q_EMIT reply_->redirectAllowed();
}

void BoundedTransfer::onMetaDataChanged()
{
    if (!reply_)
        return;
    bool known = false;
    const qint64 announced =
        reply_->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
    if (known && announced > limits_.maxBytes)
        fail(tr("The server sent more data than expected."));
}

void BoundedTransfer::onReadyRead()
{
    // A reply cancelled by its stall timeout is closed already.
    if (!reply_ || done_ || !reply_->isOpen())
        return;
    // Only the body of the final answer counts; a redirect's body is dropped.
    const QByteArray chunk = reply_->readAll();
    if (chunk.size() > limits_.maxBytes - received_) {
        fail(tr("The server sent more data than expected."));
        return;
    }
    received_ += chunk.size();
    if (sink_) {
        if (sink_->write(chunk) != chunk.size()) {
            fail(tr("The update could not be saved: %1.").arg(sink_->errorString()));
            return;
        }
    } else {
        body_.append(chunk);
    }
    Q_EMIT progress(received_, limits_.maxBytes);
}

void BoundedTransfer::onReplyFinished()
{
    if (!reply_ || done_)
        return;
    onReadyRead();
    if (done_)
        return;
    const QNetworkReply::NetworkError error = reply_->error();
    if (error == QNetworkReply::OperationCanceledError) {
        // The stall timeout cancels the reply itself.
        fail(tr("The server took too long to answer."));
        return;
    }
    if (error != QNetworkReply::NoError) {
        fail(reply_->errorString() + QLatin1Char('.'));
        return;
    }
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 200) {
        fail(tr("The server answered with status %1.").arg(status));
        return;
    }
    finish(true, {});
}

void BoundedTransfer::fail(const QString& reason)
{
    finish(false, reason);
}

void BoundedTransfer::finish(bool ok, const QString& error)
{
    if (done_)
        return;
    done_ = true;
    deadline_.stop();
    dropReply();
    Q_EMIT finished(ok, error);
}

void BoundedTransfer::dropReply()
{
    QNetworkReply* reply = reply_;
    reply_.clear();
    if (!reply)
        return;
    disconnect(reply, nullptr, this, nullptr);
    reply->abort();
    reply->deleteLater();
}

} // namespace vellumbox
