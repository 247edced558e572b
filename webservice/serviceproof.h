#ifndef SERVICEPROOF_H
#define SERVICEPROOF_H

#include <QByteArray>
#include <QCoreApplication>
#include <QJsonObject>
#include <QString>
#include <QUrl>

// The local map service's proof that it knows this user's key: an HMAC of the
// nonce, the address the application asked for and the one the service listens
// on, so that a program relaying another port's service passes on a proof that
// does not fit. On Linux the listening socket must also be one of this user's.
class ServiceProof
{
    Q_DECLARE_TR_FUNCTIONS(ServiceProof)
public:
    // HMAC-SHA256 of "NONCE\nASKED\nLISTEN" keyed with the secret, in hex.
    static QByteArray of(const QByteArray &secret, const QByteArray &nonce,
                         const QByteArray &asked, const QByteArray &listen);
    // "host:port" as the request to base names it (its Host header).
    static QByteArray askedOf(const QUrl &base);
    // Empty when answer (the JSON of /marlu/identity) proves the service at
    // base knows secret for nonce; otherwise the sentence that says why not.
    static QString check(const QJsonObject &answer, const QByteArray &nonce,
                         const QByteArray &secret, const QUrl &base);
};

#endif
