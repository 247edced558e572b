#include "servicecall.h"

#include "webservice/servicequery.h"
#include "webservice/servicereply.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>

ServiceCall::ServiceCall(QNetworkReply *reply)
    : QObject(reply)
    , m_reply(reply)
{
    connect(reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
        if (received > ServiceReply::MaxBytes && !m_tooLarge) {
            m_tooLarge = true;
            m_reply->abort();
        }
    });
}

ServiceCall *ServiceCall::fetch(QNetworkAccessManager *network, const QUrl &url, QObject *receiver,
                                std::function<void()> onFinished)
{
    auto *call = new ServiceCall(network->get(ServiceQuery::request(url)));
    connect(call->m_reply, &QNetworkReply::finished, call,
            [call, onFinished] { call->deliver(onFinished); });
    connect(receiver, &QObject::destroyed, call, &ServiceCall::discard);
    return call;
}

void ServiceCall::deliver(const std::function<void()> &onFinished)
{
    // The manager may delete the reply, and with it this call, in a nested loop.
    const QPointer<ServiceCall> alive(this);
    m_delivering = true;
    onFinished();
    if (!alive)
        return;
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
