#ifndef SERVICEAPI_H
#define SERVICEAPI_H

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;
class ServiceCall;

// The local map service's private API (docs/service-api.md): every request
// carries the per-user secret, and every answer is untrusted JSON, read with a
// cap on its size and turned into one sentence when it is not what we asked for.
class ServiceApi : public QObject
{
    Q_OBJECT
public:
    struct Answer {
        bool ok = false;        // 2xx with a JSON object
        int status = 0;         // HTTP status, 0 without an answer
        QJsonObject body;       // the object answered, also for errors
        QString error;          // one sentence when !ok
        QString server;         // the answer's Server header, for telling who answered
    };
    using Done = std::function<void(const Answer &)>;

    // Answers larger than this are refused (the catalogue is the largest).
    static const int MaxAnswerBytes = 8 * 1024 * 1024;

    ServiceApi(QNetworkAccessManager *network, const QUrl &base, QObject *parent = nullptr);

    QUrl base() const { return m_base; }

    // done runs once, on this object's thread, unless this object is gone first.
    void get(const QString &path, Done done);
    void post(const QString &path, const QJsonObject &body, Done done);
    void put(const QString &path, const QJsonObject &body, Done done);
    void remove(const QString &path, Done done);

    // Asks /marlu/identity with a fresh nonce; done's answer is ok only when the
    // proof shows the answering service knows this user's secret.
    void verifyIdentity(Done done);

    // Runs one request to its end before returning (at most timeoutMs), for
    // start-up and exit, where no event loop runs yet or any more.
    static Answer wait(const QUrl &base, const std::function<void(ServiceApi &, Done)> &ask,
                       int timeoutMs);

    // $XDG_RUNTIME_DIR/marlu/mapservice.secret, or ~/.marlu/mapservice.secret.
    static QString secretPath();
    // The 64 hex characters of the secret file; empty with *why set otherwise.
    static QByteArray readSecret(QString *why);
    // Whether base is the loopback address: the secret never goes elsewhere.
    static bool isLoopback(const QUrl &base);

private:
    void send(const QByteArray &verb, const QString &path, const QJsonObject *body, bool secret,
              Done done);
    void finish(const ServiceCall &call, const Done &done);

    QNetworkAccessManager *m_network;
    QUrl m_base;
};

#endif
