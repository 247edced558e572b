#include "networkerrortext.h"

#include "webservice/servicequery.h"

#include <QNetworkReply>
#include <QUrl>

// The host and, where one was given, the port, as the settings name them.
static QString hostAndPort(const QUrl &url)
{
    QString host = url.host();
    if (host.contains(QLatin1Char(':')))
        host = QLatin1Char('[') + host + QLatin1Char(']');
    return url.port() < 0 ? host : host + QLatin1Char(':') + QString::number(url.port());
}

QString NetworkErrorText::of(const QNetworkReply &reply)
{
    switch (reply.error()) {
    case QNetworkReply::OperationCanceledError: {
        // The requests are only cancelled by their time-out here: a reply that
        // grew too large or was discarded is not reported this way.
        const int seconds = qMax(1, (ServiceQuery::transferTimeout() + 999) / 1000);
        if (seconds == 1)
            return tr("The service did not answer within 1 second.");
        return tr("The service did not answer within %1 seconds.").arg(seconds);
    }
    case QNetworkReply::ConnectionRefusedError:
        return tr("Cannot reach the map service at %1 (connection refused).")
            .arg(hostAndPort(reply.url()));
    default:
        return tr("Network error: ") + reply.errorString();
    }
}
