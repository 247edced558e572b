#include "serviceproof.h"

#include "listenerowner.h"

#include <QMessageAuthenticationCode>

QByteArray ServiceProof::of(const QByteArray &secret, const QByteArray &nonce,
                            const QByteArray &asked, const QByteArray &listen)
{
    return QMessageAuthenticationCode::hash(nonce + '\n' + asked + '\n' + listen, secret,
                                            QCryptographicHash::Sha256).toHex();
}

QByteArray ServiceProof::askedOf(const QUrl &base)
{
    return base.host().toLower().toLatin1() + ':' + QByteArray::number(base.port(80));
}

QString ServiceProof::check(const QJsonObject &answer, const QByteArray &nonce,
                            const QByteArray &secret, const QUrl &base)
{
    const quint16 port = quint16(base.port(80));
    const QByteArray listen = "127.0.0.1:" + QByteArray::number(port);
    const QString said = answer.value("listen").toString().left(100);
    if (said.toLatin1() != listen)
        return tr("It passes on the answers of Marlu's map service at %1: a program in between "
                  "relays it.").arg(said.isEmpty() ? tr("another address") : said);
    const QByteArray proof = answer.value("proof").toString().toLatin1().toLower();
    if (proof != of(secret, nonce, askedOf(base), listen))
        return tr("It calls itself Marlu's map service but does not know this user's key.");
    QString owner;
    if (!ListenerOwner::isOurs(port, &owner))
        return tr("It answers as Marlu's map service, but %1.").arg(owner);
    return QString();
}
