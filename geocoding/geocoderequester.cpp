#include "geocoderequester.h"

#include "webservice/serverconfig.h"
#include "webservice/servicequery.h"
#include "webservice/servicereply.h"

#include <QDebug>
#include <QDomDocument>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>

GeocodeRequester::GeocodeRequester(QNetworkAccessManager *network, QObject *parent)
    : QObject(parent)
    , m_reply(nullptr)
    , m_network(network)
{
}

GeocodeRequester::~GeocodeRequester()
{
    dropReply();
}

// The reply may be delivering its finished() right now (a receiver of finish
// asked again): it is cut loose here and deleted later, never under its own feet.
void GeocodeRequester::dropReply()
{
    if (!m_reply)
        return;
    ServiceReply::discard(m_reply, this);
    m_reply = nullptr;
}

bool GeocodeRequester::query(QString address)
{
    const QUrl url = ServiceQuery::url(ServerConfig::GeocodingHostKey, "/maps/api/geocode/xml",
                                       {{"sensor", "false"}, {"address", address}});
    qDebug() << QString::fromLatin1(url.toEncoded());

    dropReply();
    m_results.clear();

    ServiceReply::fetch(m_network, url, this, &m_reply);
    connect(m_reply, &QNetworkReply::finished, this, &GeocodeRequester::onFinished);
    qDebug() << "Requested";
    return true;
}

void GeocodeRequester::onFinished()
{
    const ServiceReply::Delivery delivery(m_reply);
    qDebug() << "reply finished";
    QDomDocument document;
    QString error;
    QString status;
    if (!ServiceReply::parse(m_reply, &document, &error)
        || !ServiceReply::status(document, m_reply, &status, &error)) {
        emit finish(false, error);
        return;
    }
    qDebug().nospace() << "-- status: " << status;

    if (status == "ZERO_RESULTS") {
        emit finish(false, "No results found.");
    } else if (status == "OK") {
        const QDomNodeList results = document.elementsByTagName("result");
        for (int i = 0; i < results.size(); ++i)
            m_results.append(readResult(results.at(i).toElement()));
        emit finish(true, QString());
    } else {
        emit finish(false, "Service returned status: " + status);
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
