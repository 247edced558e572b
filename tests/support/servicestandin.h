#ifndef SERVICESTANDIN_H
#define SERVICESTANDIN_H

#include "cannedhttpserver.h"

#include <QByteArray>
#include <QHash>
#include <QUrl>

// The map service's private API as docs/service-api.md gives it, on loopback:
// it writes this user's key file, proves its identity, refuses requests
// without the key (403) and answers the rest as the test set them.
class ServiceStandIn : public CannedHttpServer
{
public:
    explicit ServiceStandIn(QObject *parent = nullptr);

    // "GET /marlu/regions" and the like; unset ones answer 404.
    void answer(const QByteArray &methodAndPath, const QByteArray &json, int status = 200);
    QUrl url() const;
    // The requests that carried the key, as "METHOD /path".
    QStringList calls() const;
    // Proves its identity as a service on 127.0.0.1:port would, as a program
    // relaying that service's answers from this port passes them on.
    void relay(quint16 port) { m_relayed = port; }
    static const QByteArray Secret;

private:
    QHash<QByteArray, Response> m_answers;
    quint16 m_relayed = 0;
};

#endif
