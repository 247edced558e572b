#include "servicequery.h"

#include "webservice/serverconfig.h"

static int timeoutMs = 30000;

QUrl ServiceQuery::url(const char *hostKey, const QString &path, const Items &items)
{
    QUrl url = ServerConfig::url(hostKey, path);
    QByteArray query;
    for (const auto &item : items) {
        if (!query.isEmpty())
            query += '&';
        query += QUrl::toPercentEncoding(item.first) + '=' + QUrl::toPercentEncoding(item.second);
    }
    url.setQuery(QString::fromLatin1(query), QUrl::StrictMode);
    return url;
}

QNetworkRequest ServiceQuery::request(const QUrl &url)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(timeoutMs);
    return request;
}

int ServiceQuery::transferTimeout()
{
    return timeoutMs;
}

void ServiceQuery::setTransferTimeout(int ms)
{
    timeoutMs = ms;
}
