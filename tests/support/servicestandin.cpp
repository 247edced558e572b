#include "servicestandin.h"

#include "regions/serviceapi.h"
#include "webservice/serviceproof.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrlQuery>

const QByteArray ServiceStandIn::Secret = QByteArray("0123456789abcdef").repeated(4);

ServiceStandIn::ServiceStandIn(QObject *parent)
    : CannedHttpServer(parent)
{
    QFile key(ServiceApi::secretPath());
    QDir().mkpath(QFileInfo(key).path());
    if (key.open(QIODevice::WriteOnly)) {
        key.write(Secret + "\n");
        key.setPermissions(QFile::ReadOwner | QFile::WriteOwner);   // as the service makes it
    }
    setHandler([this](const Request &request) {
        const QUrl target(request.target);
        Response response;
        if (target.path() == "/marlu/identity") {
            const QByteArray nonce = QUrlQuery(target).queryItemValue("nonce").toLatin1();
            const QByteArray listen = m_relayed ? "127.0.0.1:" + QByteArray::number(m_relayed)
                                                : hostPort().toLatin1();
            // A relay has to name the real service's port, or it would be refused.
            const QByteArray asked = m_relayed ? listen : request.headers.value("host").toLower();
            const QByteArray proof = ServiceProof::of(Secret, nonce, asked, listen);
            response.body = "{\"name\": \"Marlu map service\", \"version\": \"0\", \"listen\": \""
                + listen + "\", \"proof\": \"" + proof + "\"}";
        } else if (request.headers.value("x-marlu-secret") != Secret) {
            response.status = 403;
            response.body = "{\"error\": \"A request without the key.\"}";
        } else {
            response = m_answers.value(request.method + ' ' + target.path().toUtf8(),
                                       Response{404, "{\"error\": \"No such thing.\"}"});
        }
        return response;
    });
}

void ServiceStandIn::answer(const QByteArray &methodAndPath, const QByteArray &json, int status)
{
    m_answers.insert(methodAndPath, Response{status, json});
}

QUrl ServiceStandIn::url() const
{
    return QUrl("http://" + hostPort() + "/");
}

QStringList ServiceStandIn::calls() const
{
    QStringList out;
    for (const Request &r : requests())
        if (r.headers.value("x-marlu-secret") == Secret)
            out << QString::fromLatin1(r.method) + ' ' + QUrl(r.target).path();
    return out;
}
