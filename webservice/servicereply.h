#ifndef SERVICEREPLY_H
#define SERVICEREPLY_H

#include <QDomDocument>
#include <QList>
#include <QString>

class ServiceCall;

// Reads a web service's XML reply, which travels over plain HTTP and so is
// treated as hostile: a body that is too large, that did not end in time, or
// that GuardedDom refuses, does not become a document. Every failure is logged
// at critical level and comes back as a sentence for the user.
class ServiceReply
{
public:
    static const qint64 MaxBytes = 32 * 1024 * 1024;   // ServiceCall's default cap

    // Parses the body. On success logs the heading, unless it is null, and the
    // document (at debug level, only when debug output is on); on failure logs
    // "DOM error: " and fills userError.
    static bool parse(const ServiceCall &call, QDomDocument *document, QString *userError,
                      const char *heading = "parsed xml?");

    // The text of the one "status" element; logs "Error" and fills userError
    // when there is not exactly one.
    static bool status(const QDomDocument &document, const ServiceCall &call, QString *status,
                       QString *userError);
    // The same for the document's "status" elements that the caller collected
    // on a walk of its own.
    static bool status(const QList<QDomElement> &found, const ServiceCall &call, QString *status,
                       QString *userError);

    // The sentence the service wrote beside a status other than OK (what went
    // wrong, for the user to read), on one line and at most MaxMessageChars long;
    // empty when it wrote none.
    static QString errorMessage(const QDomDocument &document);
    static const int MaxMessageChars = 300;
    // A sentence from the service as the user reads it: on one line, not a page long.
    static QString oneLine(const QString &sentence);

    // The value of the element's first child node: empty for a missing element.
    static QString text(const QDomElement &element);

private:
    static QString failure(const ServiceCall &call);
};

#endif
