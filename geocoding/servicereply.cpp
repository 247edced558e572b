#include "servicereply.h"

#include <QDebug>
#include <QLoggingCategory>
#include <QNetworkReply>

namespace {
const char *const kTooLarge = "_marlu_reply_too_large";
}

void ServiceReply::limitSize(QNetworkReply *reply)
{
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                     [reply](qint64 received, qint64) {
                         if (received > MaxBytes && !reply->property(kTooLarge).toBool()) {
                             reply->setProperty(kTooLarge, true);
                             reply->abort();
                         }
                     });
}

QString ServiceReply::failure(QNetworkReply *reply)
{
    if (reply->error() != QNetworkReply::NoError && !reply->property(kTooLarge).toBool())
        return QStringLiteral("Network error: ") + reply->errorString();
    return QStringLiteral("The service's reply could not be read.");
}

bool ServiceReply::parse(QNetworkReply *reply, QDomDocument *document, QString *userError)
{
    QString why;
    int line = 0;
    int column = 0;
    if (reply->property(kTooLarge).toBool() || reply->bytesAvailable() > MaxBytes) {
        why = QStringLiteral("reply larger than %1 bytes").arg(MaxBytes);
    } else {
        const QByteArray body = reply->readAll();
        // A NUL byte means a wide encoding, in which the byte search below
        // would not see a declaration.
        if (body.contains('\0'))
            why = QStringLiteral("reply is not 8-bit text");
        else if (body.contains("<!DOCTYPE") || body.contains("<!ENTITY"))
            why = QStringLiteral("reply declares a DOCTYPE or an entity");
        else if (document->setContent(body, false, &why, &line, &column)) {
            if (QLoggingCategory::defaultCategory()->isDebugEnabled()) {
                qDebug() << "parsed xml?";
                qDebug() << document->toString(1);
            }
            return true;
        }
    }
    qCritical().nospace() << "DOM error: " << why << " " << line << " " << column;
    *userError = failure(reply);
    return false;
}

bool ServiceReply::status(const QDomDocument &document, QNetworkReply *reply, QString *status,
                          QString *userError)
{
    const QDomNodeList found = document.elementsByTagName("status");
    if (found.size() != 1) {
        qCritical() << "Error";
        *userError = failure(reply);
        return false;
    }
    *status = text(found.at(0).toElement());
    return true;
}

QString ServiceReply::text(const QDomElement &element)
{
    return element.firstChild().nodeValue();
}
