#ifndef SERVICEREPLY_H
#define SERVICEREPLY_H

#include <QDomDocument>
#include <QList>
#include <QPointer>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;
class QUrl;

// Reads a web service's XML reply, which travels over plain HTTP and so is
// treated as hostile: a body that is too large, nested too deep, or that
// declares a DOCTYPE or an entity (the services never send one), is not parsed.
// Every failure is logged at critical level and comes back as a sentence for
// the user.
class ServiceReply
{
public:
    static const qint64 MaxBytes = 32 * 1024 * 1024;
    // QDomDocument overflows the stack on a body nested a few tens of thousands
    // of levels deep; the services nest fewer than ten.
    static const int MaxDepth = 256;

    // Aborts the download once it grows past MaxBytes.
    static void limitSize(QNetworkReply *reply);

    // Starts a GET of `url` (see ServiceQuery::request) under the size limit
    // and stores the reply in *slot, which is reset to null should the network
    // manager delete the reply first: it may go before `owner`.
    static QNetworkReply *fetch(QNetworkAccessManager *network, const QUrl &url, QObject *owner,
                                QNetworkReply **slot);

    // Parses the body. On success logs the heading, unless it is null, and the
    // document (at debug level, only when debug output is on); on failure logs
    // "DOM error: " and fills userError.
    static bool parse(QNetworkReply *reply, QDomDocument *document, QString *userError,
                      const char *heading = "parsed xml?");

    // The text of the one "status" element; logs "Error" and fills userError
    // when there is not exactly one.
    static bool status(const QDomDocument &document, QNetworkReply *reply, QString *status,
                       QString *userError);
    // The same for the document's "status" elements that the caller collected
    // on a walk of its own.
    static bool status(const QList<QDomElement> &found, QNetworkReply *reply, QString *status,
                       QString *userError);

    // The value of the element's first child node: empty for a missing element.
    static QString text(const QDomElement &element);

    // Cuts a reply that is no longer wanted loose from the receiver, stops it
    // and deletes it later; one that is inside a Delivery is deleted when that
    // Delivery ends.
    static void discard(QNetworkReply *reply, QObject *receiver);

    // Held by the slot that handles a reply's finished() for as long as it runs.
    // The slot's signal may start a nested event loop in which the reply is
    // discarded, and a deferred delete posted there would run inside that loop,
    // under the reply's own finished(); the reply lives on until this ends.
    class Delivery
    {
    public:
        explicit Delivery(QNetworkReply *reply);
        ~Delivery();
        Delivery(const Delivery &) = delete;
        Delivery &operator=(const Delivery &) = delete;

    private:
        QPointer<QNetworkReply> m_reply;
    };

private:
    static QString failure(QNetworkReply *reply);
};

#endif
