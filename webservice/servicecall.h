#ifndef SERVICECALL_H
#define SERVICECALL_H

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;
class QUrl;

// One request to a web service, from the GET to the deletion of its reply: the
// one owner of the reply's state. It is the reply's child, so it goes with the
// reply, also when the network manager deletes the reply first. A client holds
// it through a QPointer and ends it with discard().
class ServiceCall : public QObject
{
    Q_OBJECT
public:
    // Takes charge of a reply and aborts its download once it grows past
    // maxBytes, or once deadlineMs() have passed without its end: the transfer
    // time-out alone restarts on every byte that drips in.
    explicit ServiceCall(QNetworkReply *reply, qint64 maxBytes = DefaultMaxBytes);
    static const qint64 DefaultMaxBytes = 32 * 1024 * 1024;

    static int deadlineMs() { return s_deadlineMs; }
    // For calls made after it; tests shorten it.
    static void setDeadlineMs(int ms) { s_deadlineMs = ms; }
    static constexpr int DefaultDeadlineMs = 60000;
    static constexpr int ReadChunkBytes = 1024 * 1024;

    // Starts a GET of `url` (see ServiceQuery::request) and runs onFinished
    // when the reply has finished. A receiver that is destroyed discards the call.
    static ServiceCall *fetch(QNetworkAccessManager *network, const QUrl &url, QObject *receiver,
                              std::function<void()> onFinished);
    // The same with headers of the client's own on the request.
    static ServiceCall *fetch(QNetworkAccessManager *network, const QUrl &url,
                              const QList<QPair<QByteArray, QByteArray>> &headers,
                              QObject *receiver, std::function<void()> onFinished);

    // Any request with the verb and body given (the map service's private API
    // puts, posts and deletes), its answer capped at maxBytes.
    static ServiceCall *send(QNetworkAccessManager *network, const QNetworkRequest &request,
                             const QByteArray &verb, const QByteArray &body, qint64 maxBytes,
                             QObject *receiver, std::function<void()> onFinished);

    QNetworkReply *reply() const { return m_reply; }
    qint64 maxBytes() const { return m_maxBytes; }
    // Why no answer can be read, in words for the user: too late, too large,
    // or the network's failure; empty when the reply came whole.
    QString failure() const;
    // What has arrived of the body (empty once it grew too large).
    const QByteArray &body() const { return m_body; }
    bool tooLarge() const { return m_tooLarge; }
    bool timedOut() const { return m_timedOut; }

    // Cuts the reply loose from its receiver, stops it and deletes it later. A
    // receiver that is still running onFinished may discard the call (ask again,
    // or be deleted, from a nested event loop); the reply then lives on until
    // onFinished returns, as a deferred delete posted inside that loop would run
    // under the reply's own finished().
    void discard();

private:
    static ServiceCall *watch(ServiceCall *call, QObject *receiver, std::function<void()> onFinished);
    void deliver(const std::function<void()> &onFinished);
    void onReadyRead();
    void onDeadline();

    static int s_deadlineMs;

    QNetworkReply *const m_reply;
    const qint64 m_maxBytes;
    QByteArray m_body;
    bool m_tooLarge = false;
    bool m_timedOut = false;
    bool m_delivering = false;
    bool m_discarded = false;
};

#endif
