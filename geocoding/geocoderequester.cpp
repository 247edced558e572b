#include "geocoderequester.h"

#include "webservice/serverconfig.h"
#include "webservice/servicecall.h"
#include "webservice/servicequery.h"
#include "webservice/servicereply.h"

#include <QDebug>
#include <QDomDocument>
#include <QLoggingCategory>

GeocodeRequester::GeocodeRequester(QNetworkAccessManager *network, QObject *parent)
    : QObject(parent)
    , m_network(network)
{
}

bool GeocodeRequester::query(QString address)
{
    const QUrl url = ServiceQuery::url(ServerConfig::GeocodingHostKey, "/maps/api/geocode/xml",
                                       {{"sensor", "false"}, {"address", address}});
    qDebug() << QString::fromLatin1(url.toEncoded());

    cancel();
    m_results.clear();

    QList<QPair<QByteArray, QByteArray>> headers;
    if (!m_view.isEmpty())
        headers.append({"X-Marlu-View", m_view});
    if (!m_position.isEmpty())
        headers.append({"X-Marlu-Position", m_position});
    m_call = ServiceCall::fetch(m_network, url, headers, this, [this] { onFinished(); });
    qDebug() << "Requested";
    return true;
}

void GeocodeRequester::setBias(const QString &view, const QString &position)
{
    m_view = view.toLatin1();
    m_position = position.toLatin1();
}

void GeocodeRequester::cancel()
{
    if (m_call)
        m_call->discard();
}

void GeocodeRequester::onFinished()
{
    if (!m_call)
        return;
    qDebug() << "reply finished";
    QDomDocument document;
    QString error;
    QString status;
    if (!ServiceReply::parse(*m_call, &document, &error)
        || !ServiceReply::status(document, *m_call, &status, &error)) {
        emit finish(false, error);
        return;
    }
    qDebug().nospace() << "-- status: " << status;

    if (status == "ZERO_RESULTS") {
        emit finish(false, tr("No results found."));
    } else if (status == "OK") {
        const QDomNodeList results = document.elementsByTagName("result");
        const int read = qMin(results.size(), MaxResults);
        if (read < results.size())
            qCritical().nospace() << "Refused " << results.size() - read << " results beyond the first "
                                  << MaxResults;
        for (int i = 0; i < read; ++i)
            m_results.append(readResult(results.at(i).toElement()));
        emit finish(true, QString());
    } else {
        emit finish(false, tr("Service returned status: ") + status);
    }
}

GeocodeAddress GeocodeRequester::readResult(const QDomElement &result)
{
    GeocodeAddress address;
    address.setDescription(ServiceReply::text(result.firstChildElement("formatted_address")));

    const QDomNodeList types = result.elementsByTagName("type");
    for (int i = 0; i < types.size(); ++i)
        address.m_types.append(ServiceReply::text(types.at(i).toElement()));

    const QDomElement geometry = result.firstChildElement("geometry");
    address.m_locationType = ServiceReply::text(geometry.firstChildElement("location_type"));
    const QDomElement location = geometry.firstChildElement("location");
    // A text that does not convert reads as 0.
    address.setCoordinates(ServiceReply::text(location.firstChildElement("lat")).toDouble(),
                           ServiceReply::text(location.firstChildElement("lng")).toDouble());

    if (QLoggingCategory::defaultCategory()->isDebugEnabled())
        qDebug() << address.description() << address.latitude() << address.longitude()
                 << address.m_locationType << address.m_types;
    return address;
}
