#ifndef SERVICEQUERY_H
#define SERVICEQUERY_H

#include <QList>
#include <QNetworkRequest>
#include <QPair>
#include <QString>
#include <QUrl>

// Builds the requests of the web-service clients.
class ServiceQuery
{
public:
    using Items = QList<QPair<QString, QString>>;

    // The configured host (see ServerConfig), the path, and the items in order,
    // each value percent-encoded as UTF-8 so that a space is %20 and "&", "=",
    // "+" inside a value stay data.
    static QUrl url(const char *hostKey, const QString &path, const Items &items);
    // A plain GET that gives up after transferTimeout() ms without an answer.
    static QNetworkRequest request(const QUrl &url);

    // 30 s unless set otherwise (a test that must not wait that long).
    static int transferTimeout();
    static void setTransferTimeout(int ms);
};

#endif
