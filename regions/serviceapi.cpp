#include "serviceapi.h"

#include "webservice/keyfile.h"
#include "webservice/serviceproof.h"
#include "webservice/servicecall.h"
#include "webservice/servicequery.h"
#include "webservice/servicereply.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QRandomGenerator>
#include <QTimer>

#include <memory>

ServiceApi::ServiceApi(QNetworkAccessManager *network, const QUrl &base, QObject *parent)
    : QObject(parent)
    , m_network(network)
    , m_base(base)
{
}

QString ServiceApi::secretPath()
{
    return KeyFile::path();
}

QByteArray ServiceApi::readSecret(QString *why)
{
    return KeyFile::read(secretPath(), why);
}

bool ServiceApi::isLoopback(const QUrl &base)
{
    const QString host = base.host().toLower();
    return base.scheme() == "http" && (host == "localhost" || host == "127.0.0.1");
}

void ServiceApi::get(const QString &path, Done done)
{
    send("GET", path, nullptr, true, std::move(done));
}

void ServiceApi::post(const QString &path, const QJsonObject &body, Done done)
{
    send("POST", path, &body, true, std::move(done));
}

void ServiceApi::put(const QString &path, const QJsonObject &body, Done done)
{
    send("PUT", path, &body, true, std::move(done));
}

void ServiceApi::remove(const QString &path, Done done)
{
    send("DELETE", path, nullptr, true, std::move(done));
}

void ServiceApi::verifyIdentity(Done done)
{
    QString why;
    const QByteArray secret = readSecret(&why);
    const QByteArray nonce = [] {
        QByteArray bytes(16, Qt::Uninitialized);
        QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(bytes.data()), 4);
        return bytes.toHex();
    }();
    send("GET", "/marlu/identity?nonce=" + QString::fromLatin1(nonce), nullptr, false,
         [secret, why, nonce, done, base = m_base](const Answer &answer) {
        Answer checked = answer;
        const QString name = answer.body.value("name").toString();
        if (!answer.ok || name != "Marlu map service") {
            checked.ok = false;
            if (answer.ok)
                checked.error = tr("It is not Marlu's map service.");
        } else if (secret.isEmpty()) {
            checked.ok = false;
            checked.error = why;
        } else {
            checked.error = ServiceProof::check(answer.body, nonce, secret, base);
            checked.ok = checked.error.isEmpty();
        }
        done(checked);
    });
}

void ServiceApi::send(const QByteArray &verb, const QString &path, const QJsonObject *body,
                      bool secret, Done done)
{
    auto fail = [this, done](const QString &why) {
        Answer answer;
        answer.error = why;
        // Later, as an answer from the network would come: callers may still be setting up.
        QMetaObject::invokeMethod(this, [done, answer] { done(answer); }, Qt::QueuedConnection);
    };
    if (!isLoopback(m_base)) {
        fail(tr("The map host %1 is not the map service on this computer.").arg(m_base.authority()));
        return;
    }
    QNetworkRequest request = ServiceQuery::request(
        QUrl(m_base.toString(QUrl::RemovePath | QUrl::RemoveQuery) + path));
    // Ours, never a cached copy: the state changes under us.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    if (secret) {
        QString why;
        const QByteArray key = readSecret(&why);
        if (key.isEmpty()) {
            fail(why);
            return;
        }
        request.setRawHeader("X-Marlu-Secret", key);
    }
    QByteArray data;
    if (body) {
        data = QJsonDocument(*body).toJson(QJsonDocument::Compact);
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json; charset=utf-8");
    }
    // One client for every request: ServiceCall caps the answer, ends it at
    // its deadline and words its failures.
    auto call = std::make_shared<QPointer<ServiceCall>>();
    *call = ServiceCall::send(m_network, request, verb, data, MaxAnswerBytes, this,
                              [this, done, call] {
        const QPointer<ServiceCall> ended = *call;
        finish(*ended, done);
        if (ended)
            ended->discard();   // deletes the reply once this returns
    });
}

void ServiceApi::finish(const ServiceCall &call, const Done &done)
{
    const QNetworkReply *reply = call.reply();
    Answer answer;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.server = QString::fromLatin1(reply->rawHeader("Server")).simplified().left(80);
    const QByteArray &data = call.body();
    if (call.tooLarge()) {
        answer.status = 0;
        answer.error = tr("The map service's answer is larger than %1 MiB.").arg(MaxAnswerBytes >> 20);
        done(answer);
        return;
    }
    if (answer.status == 0 || call.timedOut()) {
        answer.status = 0;
        answer.error = tr("The map service did not answer: %1").arg(call.failure());
        done(answer);
        return;
    }
    QJsonParseError parsed;
    const QJsonDocument json = QJsonDocument::fromJson(data, &parsed);
    const bool isObject = parsed.error == QJsonParseError::NoError && json.isObject();
    if (isObject)
        answer.body = json.object();
    const QString said = ServiceReply::oneLine(answer.body.value("error").toString());
    if (answer.status == 403) {
        answer.error = tr("The map service refused the request: %1")
                           .arg(said.isEmpty() ? tr("it does not accept this user's key.") : said);
    } else if (answer.status < 200 || answer.status > 299) {
        answer.error = said.isEmpty() ? tr("The map service answered HTTP %1.").arg(answer.status)
                                      : said;
    } else if (!isObject) {
        answer.error = tr("The map service's answer is not the JSON object expected.");
    } else {
        answer.ok = true;
    }
    done(answer);
}

ServiceApi::Answer ServiceApi::wait(const QUrl &base,
                                    const std::function<void(ServiceApi &, Done)> &ask, int timeoutMs)
{
    QNetworkAccessManager network;
    ServiceApi api(&network, base);
    QEventLoop loop;
    Answer result;
    bool got = false;
    ask(api, [&](const Answer &answer) {
        result = answer;
        got = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!got)
        loop.exec();
    if (!got)
        result.error = tr("The map service did not answer within %1 s.").arg(timeoutMs / 1000);
    return result;
}
