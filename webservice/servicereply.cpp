#include "servicereply.h"

#include "webservice/networkerrortext.h"
#include "webservice/servicecall.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLoggingCategory>
#include <QNetworkReply>

namespace {
// The deepest nesting of elements, found by scanning the tags without parsing.
// Comments, CDATA sections and processing instructions are skipped. A ">"
// inside an attribute value can make an empty-element tag count as an opening
// one, which only overstates the depth. The body holds no NUL byte.
int nestingDepth(const QByteArray &body)
{
    const char *const data = body.constData();
    int depth = 0;
    int deepest = 0;
    int at = 0;
    while ((at = body.indexOf('<', at)) >= 0) {
        const char *const tag = data + at;
        int end;
        if (tag[1] == '/') {
            --depth;
            end = body.indexOf('>', at);
        } else if (tag[1] == '?') {
            end = body.indexOf("?>", at);
        } else if (qstrncmp(tag, "<!--", 4) == 0) {
            end = body.indexOf("-->", at + 4);
        } else if (qstrncmp(tag, "<![CDATA[", 9) == 0) {
            end = body.indexOf("]]>", at + 9);
        } else {
            end = body.indexOf('>', at);
            if (tag[1] != '!' && end > 0 && data[end - 1] != '/')
                deepest = qMax(deepest, ++depth);
        }
        if (end < 0)
            break;
        at = end + 1;
    }
    return deepest;
}
}

QString ServiceReply::failure(const ServiceCall &call)
{
    const QNetworkReply *reply = call.reply();
    if (reply->error() != QNetworkReply::NoError && !call.tooLarge())
        return NetworkErrorText::of(*reply);
    return QCoreApplication::translate("ServiceReply", "The service's reply could not be read.");
}

bool ServiceReply::parse(const ServiceCall &call, QDomDocument *document, QString *userError,
                         const char *heading)
{
    QString why;
    int line = 0;
    int column = 0;
    QNetworkReply *reply = call.reply();
    if (call.tooLarge() || reply->bytesAvailable() > MaxBytes) {
        why = QStringLiteral("reply larger than %1 bytes").arg(MaxBytes);
    } else {
        const QByteArray body = reply->readAll();
        // A NUL byte means a wide encoding, in which the byte search below
        // would not see a declaration.
        if (body.contains('\0'))
            why = QStringLiteral("reply is not 8-bit text");
        else if (body.contains("<!DOCTYPE") || body.contains("<!ENTITY"))
            why = QStringLiteral("reply declares a DOCTYPE or an entity");
        else if (nestingDepth(body) > MaxDepth)
            why = QStringLiteral("reply nests elements deeper than %1 levels").arg(MaxDepth);
        else if (document->setContent(body, false, &why, &line, &column)) {
            if (QLoggingCategory::defaultCategory()->isDebugEnabled()) {
                if (heading)
                    qDebug() << heading;
                qDebug() << document->toString(1);
            }
            return true;
        }
    }
    qCritical().nospace() << "DOM error: " << why << " " << line << " " << column;
    *userError = failure(call);
    return false;
}

bool ServiceReply::status(const QDomDocument &document, const ServiceCall &call, QString *status,
                          QString *userError)
{
    const QDomNodeList nodes = document.elementsByTagName("status");
    QList<QDomElement> found;
    for (int i = 0; i < nodes.size(); ++i)
        found.append(nodes.at(i).toElement());
    return ServiceReply::status(found, call, status, userError);
}

bool ServiceReply::status(const QList<QDomElement> &found, const ServiceCall &call, QString *status,
                          QString *userError)
{
    if (found.size() != 1) {
        qCritical() << "Error";
        *userError = failure(call);
        return false;
    }
    *status = text(found.first());
    return true;
}

QString ServiceReply::text(const QDomElement &element)
{
    return element.firstChild().nodeValue();
}
