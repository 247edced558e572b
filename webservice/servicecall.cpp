#include "servicecall.h"

#include "webservice/networkerrortext.h"
#include "webservice/servicequery.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>

int ServiceCall::s_deadlineMs = ServiceCall::DefaultDeadlineMs;

ServiceCall::ServiceCall(QNetworkReply *reply, qint64 maxBytes)
    : QObject(reply)
    , m_reply(reply)
    , m_maxBytes(maxBytes)
{
    // The bytes move to the call as they arrive, so the limit holds where they
    // come in; the reply itself buffers no more than a chunk of them.
    reply->setReadBufferSize(ReadChunkBytes);
    connect(reply, &QNetworkReply::readyRead, this, &ServiceCall::onReadyRead);
    auto *deadline = new QTimer(this);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, this, &ServiceCall::onDeadline);
    connect(reply, &QNetworkReply::finished, deadline, &QTimer::stop);
    deadline->start(s_deadlineMs);
    onReadyRead();   // a reply may come with bytes already
}

void ServiceCall::onReadyRead()
{
    if (m_tooLarge || m_timedOut)
        return;
    m_body += m_reply->readAll();
    if (m_body.size() > m_maxBytes) {
        m_tooLarge = true;
        m_body = QByteArray();
        m_reply->abort();
    }
}

void ServiceCall::onDeadline()
{
    if (m_reply->isFinished() || m_tooLarge)
        return;
    m_timedOut = true;
    m_reply->abort();
}

ServiceCall *ServiceCall::fetch(QNetworkAccessManager *network, const QUrl &url, QObject *receiver,
                                std::function<void()> onFinished)
{
    return fetch(network, url, {}, receiver, std::move(onFinished));
}

ServiceCall *ServiceCall::fetch(QNetworkAccessManager *network, const QUrl &url,
                                const QList<QPair<QByteArray, QByteArray>> &headers,
                                QObject *receiver, std::function<void()> onFinished)
{
    QNetworkRequest request = ServiceQuery::request(url);
    // The page's tiles share the manager's few connections to the same host: a
    // search or a route asked for while a screenful of tiles renders must not
    // wait behind all of them.
    request.setPriority(QNetworkRequest::HighPriority);
    for (const auto &header : headers)
        request.setRawHeader(header.first, header.second);
    return watch(new ServiceCall(network->get(request)), receiver, std::move(onFinished));
}

ServiceCall *ServiceCall::send(QNetworkAccessManager *network, const QNetworkRequest &request,
                               const QByteArray &verb, const QByteArray &body, qint64 maxBytes,
                               QObject *receiver, std::function<void()> onFinished)
{
    // Ahead of the page's tiles, as a search is: someone waits for the answer.
    QNetworkRequest prior = request;
    prior.setPriority(QNetworkRequest::HighPriority);
    QNetworkReply *reply = body.isEmpty() ? network->sendCustomRequest(prior, verb)
                                          : network->sendCustomRequest(prior, verb, body);
    return watch(new ServiceCall(reply, maxBytes), receiver, std::move(onFinished));
}

ServiceCall *ServiceCall::watch(ServiceCall *call, QObject *receiver,
                                std::function<void()> onFinished)
{
    connect(call->m_reply, &QNetworkReply::finished, call,
            [call, onFinished] { call->deliver(onFinished); });
    connect(receiver, &QObject::destroyed, call, &ServiceCall::discard);
    return call;
}

QString ServiceCall::failure() const
{
    if (m_timedOut)
        return QCoreApplication::translate("ServiceReply", "The service took too long to answer.");
    if (m_tooLarge)
        return QCoreApplication::translate("ServiceReply", "The service's reply could not be read.");
    if (m_reply->error() != QNetworkReply::NoError)
        return NetworkErrorText::of(*m_reply);
    return QString();
}

void ServiceCall::deliver(const std::function<void()> &onFinished)
{
    // The manager may delete the reply, and with it this call, in a nested loop.
    const QPointer<ServiceCall> alive(this);
    m_delivering = true;
    onReadyRead();   // what came with the end
    onFinished();
    if (!alive)
        return;
    // Read once, as the reply's own buffer was: the call may outlive its use.
    m_body = QByteArray();
    m_delivering = false;
    if (m_discarded)
        m_reply->deleteLater();
}

void ServiceCall::discard()
{
    if (m_discarded)
        return;
    m_discarded = true;
    // Aborting emits finished(), which must reach nobody now.
    m_reply->disconnect(this);
    m_reply->abort();
    if (!m_delivering)
        m_reply->deleteLater();
}
