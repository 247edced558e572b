#include "servicereply.h"

#include "webservice/networkerrortext.h"
#include "webservice/guardeddom.h"
#include "webservice/logexcerpt.h"
#include "webservice/servicecall.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLoggingCategory>
#include <QNetworkReply>

QString ServiceReply::failure(const ServiceCall &call)
{
    const QString failed = call.failure();
    return failed.isEmpty()
        ? QCoreApplication::translate("ServiceReply", "The service's reply could not be read.")
        : failed;
}

bool ServiceReply::parse(const ServiceCall &call, QDomDocument *document, QString *userError,
                         const char *heading)
{
    QString why;
    qint64 line = 0;
    qint64 column = 0;
    if (call.timedOut()) {
        why = QStringLiteral("no complete reply within %1 ms").arg(ServiceCall::deadlineMs());
    } else if (call.tooLarge()) {
        why = QStringLiteral("reply larger than %1 bytes").arg(call.maxBytes());
    } else if (GuardedDom::build(call.body(), document, &why, &line, &column)) {
        if (QLoggingCategory::defaultCategory()->isDebugEnabled()) {
            if (heading)
                qDebug() << heading;
            qDebug() << LogExcerpt::of(document->toString(1));
        }
        return true;
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

QString ServiceReply::errorMessage(const QDomDocument &document)
{
    return oneLine(document.documentElement().firstChildElement("error_message").text());
}

QString ServiceReply::oneLine(const QString &sentence)
{
    QString line = sentence.simplified();
    if (line.size() > MaxMessageChars)
        line = line.left(MaxMessageChars) + QChar(0x2026);
    return line;
}

QString ServiceReply::text(const QDomElement &element)
{
    return element.firstChild().nodeValue();
}
