#ifndef SERVICEREPLY_H
#define SERVICEREPLY_H

#include <QDomDocument>
#include <QString>

class QNetworkReply;

// Reads a web service's XML reply, which travels over plain HTTP and so is
// treated as hostile: a body that is too large, or that declares a DOCTYPE or an
// entity (the services never send one), is not parsed. Every failure is logged
// at critical level and comes back as a sentence for the user.
class ServiceReply
{
public:
    static const qint64 MaxBytes = 32 * 1024 * 1024;

    // Aborts the download once it grows past MaxBytes.
    static void limitSize(QNetworkReply *reply);

    // Parses the body. On success logs the document (at debug level, only when
    // debug output is on); on failure logs "DOM error: " and fills userError.
    static bool parse(QNetworkReply *reply, QDomDocument *document, QString *userError);

    // The text of the one "status" element; logs "Error" and fills userError
    // when there is not exactly one.
    static bool status(const QDomDocument &document, QNetworkReply *reply, QString *status,
                       QString *userError);

    // The value of the element's first child node: empty for a missing element.
    static QString text(const QDomElement &element);

private:
    static QString failure(QNetworkReply *reply);
};

#endif
