#include "geocoderequester.h"

#include "webservice/serverconfig.h"
#include "webservice/servicecall.h"
#include "webservice/servicequery.h"
#include "webservice/servicereply.h"

#include <QDebug>
#include <QDomDocument>
#include <QLoggingCategory>
#include <QVector>

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

namespace {
// What one walk over a reply collects: every "status" element and every
// "result" element at any depth, in document order, each result with the texts
// of every "type" element below it. One walk instead of a node list per name,
// each of which walks the whole document again.
struct Reading
{
    QList<QDomElement> statuses;
    QList<QDomElement> results;
    QList<QStringList> types;
    QVector<int> open;   // the results around the element being read
};

// The reader refuses deeper nesting than it can take, so recursion is bounded.
void readChildren(const QDomNode &parent, Reading *reading)
{
    for (QDomElement element = parent.firstChildElement(); !element.isNull();
         element = element.nextSiblingElement()) {
        const QString tag = element.tagName();
        if (tag == QLatin1String("type")) {
            const QString text = ServiceReply::text(element);
            for (int result : qAsConst(reading->open))
                reading->types[result].append(text);
        } else if (tag == QLatin1String("status")) {
            reading->statuses.append(element);
        } else if (tag == QLatin1String("result")) {
            reading->open.append(reading->results.size());
            reading->results.append(element);
            reading->types.append(QStringList());
            readChildren(element, reading);
            reading->open.removeLast();
            continue;
        }
        readChildren(element, reading);
    }
}
}

void GeocodeRequester::onFinished()
{
    if (!m_call)
        return;
    qDebug() << "reply finished";
    QDomDocument document;
    QString error;
    QString status;
    Reading reading;
    if (!ServiceReply::parse(*m_call, &document, &error)) {
        emit finish(false, error);
        return;
    }
    readChildren(document, &reading);
    if (!ServiceReply::status(reading.statuses, *m_call, &status, &error)) {
        emit finish(false, error);
        return;
    }
    qDebug().nospace() << "-- status: " << status;

    if (status == "ZERO_RESULTS") {
        emit finish(false, tr("No results found."));
    } else if (status == "OK") {
        const int read = qMin(reading.results.size(), MaxResults);
        if (read < reading.results.size())
            qCritical().nospace() << "Refused " << reading.results.size() - read
                                  << " results beyond the first " << MaxResults;
        for (int i = 0; i < read; ++i)
            m_results.append(readResult(reading.results.at(i), reading.types.at(i)));
        emit finish(true, QString());
    } else {
        // The service's own sentence (a provider that cannot be reached, data
        // that is missing) says more than the status word, which the log keeps.
        const QString said = ServiceReply::errorMessage(document);
        emit finish(false, said.isEmpty() ? tr("Service returned status: ") + status : said);
    }
}

GeocodeAddress GeocodeRequester::readResult(const QDomElement &result, const QStringList &types)
{
    GeocodeAddress address;
    address.setDescription(ServiceReply::text(result.firstChildElement("formatted_address")));
    address.m_types = types;

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
