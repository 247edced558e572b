#include "googledirections.h"

#include "directions/polyline.h"
#include "webservice/serverconfig.h"
#include "webservice/servicecall.h"
#include "webservice/servicequery.h"
#include "webservice/servicereply.h"

#include <QDebug>
#include <QDomDocument>
#include <QLoggingCategory>
#include <QVector>

namespace {
// What the walk over a reply collects: every "route" element in document order,
// each with every "step" element at any depth below it (the steps of all its
// legs, sub-steps after their step) in document order, and every "status" element.
struct Reading
{
    QList<Directions> routes;
    QList<QDomElement> statuses;
    QVector<int> open;   // the routes around the element being read
    QVector<int> pointBudget;   // of each route, for its steps' lines
    int refusedRoutes = 0;
    int refusedSteps = 0;
    int refusedLines = 0;
};

void readChildren(const QDomNode &parent, Reading *reading);

Step stepOf(const QDomElement &element)
{
    const auto text = [](const QDomElement &parent, const QString &name) {
        return ServiceReply::text(parent.firstChildElement(name));
    };
    Step step;
    step.setDescription(text(element, QStringLiteral("html_instructions")));
    const QDomElement start = element.firstChildElement(QStringLiteral("start_location"));
    // Texts that do not convert, a decimal fraction for the integers included, read as 0.
    step.setCoordinates(text(start, QStringLiteral("lat")).toDouble(),
                        text(start, QStringLiteral("lng")).toDouble());
    const QDomElement duration = element.firstChildElement(QStringLiteral("duration"));
    step.m_duration = text(duration, QStringLiteral("value")).toInt(nullptr, 10);
    step.m_durationText = text(duration, QStringLiteral("text"));
    const QDomElement distance = element.firstChildElement(QStringLiteral("distance"));
    step.m_distance = text(distance, QStringLiteral("value")).toInt(nullptr, 10);
    step.m_distanceText = text(distance, QStringLiteral("text"));
    step.m_maneuver = text(element, QStringLiteral("maneuver"));
    const QDomElement end = element.firstChildElement(QStringLiteral("end_location"));
    bool latOk = false, lngOk = false;
    const double endLat = text(end, QStringLiteral("lat")).toDouble(&latOk);
    const double endLng = text(end, QStringLiteral("lng")).toDouble(&lngOk);
    if (latOk && lngOk && qAbs(endLat) <= 90 && qAbs(endLng) <= 180) {
        step.m_endLatitude = endLat;
        step.m_endLongitude = endLng;
        step.m_hasEnd = true;
    }
    return step;
}

// A line, or none when it is missing, unreadable or beyond the budget.
QVector<QPointF> lineOf(const QDomElement &parent, int *budget, Reading *reading)
{
    const QString encoded = ServiceReply::text(
        parent.firstChildElement(QStringLiteral("polyline")).firstChildElement(QStringLiteral("points")));
    if (encoded.isEmpty())
        return {};
    bool ok = false;
    const QVector<QPointF> points = Polyline::decode(encoded, *budget, &ok);
    if (!ok) {
        ++reading->refusedLines;
        return {};
    }
    *budget -= points.size();
    return points;
}

void readRoute(const QDomElement &route, Reading *reading)
{
    if (reading->routes.size() >= GoogleDirections::MaxRoutes) {
        ++reading->refusedRoutes;
        readChildren(route, reading);
        return;
    }
    Directions directions;
    directions.summary = ServiceReply::text(route.firstChildElement(QStringLiteral("summary")));
    directions.copyrights =
        ServiceReply::text(route.firstChildElement(QStringLiteral("copyrights")));
    int overviewBudget = GoogleDirections::MaxRoutePoints;
    const QDomElement overview = route.firstChildElement(QStringLiteral("overview_polyline"));
    if (!overview.isNull()) {
        const QString encoded = ServiceReply::text(overview.firstChildElement(QStringLiteral("points")));
        bool ok = false;
        directions.overview = Polyline::decode(encoded, overviewBudget, &ok);
        if (!ok && !encoded.isEmpty())
            ++reading->refusedLines;
    }
    reading->routes.append(directions);
    reading->open.append(reading->routes.size() - 1);
    reading->pointBudget.append(GoogleDirections::MaxRoutePoints);
    readChildren(route, reading);
    reading->open.removeLast();
}

void readStep(const QDomElement &element, Reading *reading)
{
    Step step = stepOf(element);
    if (!reading->open.isEmpty()) {
        // The innermost route's budget: a route inside a route shares its steps.
        int *budget = &reading->pointBudget[reading->open.last()];
        step.m_path = lineOf(element, budget, reading);
    }
    for (const int route : qAsConst(reading->open)) {
        QList<Step> &steps = reading->routes[route].steps;
        if (steps.size() < GoogleDirections::MaxSteps)
            steps.append(step);
        else
            ++reading->refusedSteps;
    }
    readChildren(element, reading);
}

void readStatus(const QDomElement &status, Reading *reading)
{
    reading->statuses.append(status);
    readChildren(status, reading);
}

// Legs and every other element only hold what is read below them. The depth
// of the recursion is bounded: replies nested deeper than
// GuardedDom::MaxDepth never become a document.
void readChildren(const QDomNode &parent, Reading *reading)
{
    for (QDomElement element = parent.firstChildElement(); !element.isNull();
         element = element.nextSiblingElement()) {
        const QString name = element.nodeName();
        if (name == QLatin1String("step"))
            readStep(element, reading);
        else if (name == QLatin1String("route"))
            readRoute(element, reading);
        else if (name == QLatin1String("status"))
            readStatus(element, reading);
        else
            readChildren(element, reading);
    }
}
}

GoogleDirections::GoogleDirections(QNetworkAccessManager *manager, QObject *parent)
    : QObject(parent)
    , m_network(manager)
{
}

bool GoogleDirections::query(QString origin, QString destination, QString mode,
                             bool alternatives, QString units, QStringList avoid)
{
    ServiceQuery::Items items{{"sensor", "false"},
                              {"origin", origin},
                              {"destination", destination},
                              {"mode", mode},
                              {"alternatives", alternatives ? "true" : "false"},
                              {"units", units}};
    for (const QString &entry : qAsConst(avoid))
        items.append({"avoid", entry});
    const QUrl url = ServiceQuery::url(ServerConfig::DirectionsHostKey,
                                       "/maps/api/directions/xml", items);
    qDebug() << QString::fromLatin1(url.toEncoded());

    cancel();
    m_routes.clear();

    m_call = ServiceCall::fetch(m_network, url, this, [this] { onFinished(); });
    qDebug() << "Directions Requested";
    return true;
}

void GoogleDirections::cancel()
{
    if (m_call)
        m_call->discard();
}

void GoogleDirections::onFinished()
{
    if (!m_call)
        return;
    qDebug() << "reply finished";
    QString error;
    const bool success = readReply(&error);
    emit finish(success, error);
}

// Fills m_routes from an "OK" reply; any other outcome comes back as the text
// for the user. The routes are read on the walk that finds the status.
bool GoogleDirections::readReply(QString *error)
{
    QDomDocument document;
    if (!ServiceReply::parse(*m_call, &document, error, nullptr))
        return false;
    QList<QDomElement> statuses;
    const QList<Directions> routes = readElements(document, &statuses);
    QString status;
    if (!ServiceReply::status(statuses, *m_call, &status, error))
        return false;
    qDebug().nospace() << "-- status: " << status;

    if (status == "ZERO_RESULTS") {
        *error = tr("No results found.");
        // The local service says why (no map data there); the user should read it.
        const QString reason = ServiceReply::errorMessage(document);
        if (!reason.isEmpty())
            *error += ' ' + reason;
        return false;
    }
    if (status != "OK") {
        // The service's own sentence says more than the status word, which the log keeps.
        const QString said = ServiceReply::errorMessage(document);
        *error = said.isEmpty() ? tr("Service returned status: ") + status : said;
        return false;
    }
    m_routes = routes;

    if (QLoggingCategory::defaultCategory()->isDebugEnabled()) {
        for (const Directions &route : qAsConst(m_routes)) {
            qDebug().nospace() << "Route: " << route.summary;
            for (const Step &step : route.steps)
                qDebug() << step.toString();
        }
    }
    return true;
}

// One walk over the document, not one per element name and route: on a large
// reply each walk costs about a tenth of the parse.
QList<Directions> GoogleDirections::readElements(const QDomDocument &document,
                                                 QList<QDomElement> *statuses)
{
    Reading reading;
    readChildren(document, &reading);
    if (reading.refusedRoutes > 0)
        qCritical().nospace() << "Refused " << reading.refusedRoutes << " routes beyond the first "
                              << MaxRoutes;
    if (reading.refusedSteps > 0)
        qCritical().nospace() << "Refused " << reading.refusedSteps << " steps beyond the first "
                              << MaxSteps << " of a route";
    if (reading.refusedLines > 0)
        qCritical().nospace() << "Refused " << reading.refusedLines
                              << " route lines: unreadable or beyond " << MaxRoutePoints << " points";
    *statuses = reading.statuses;
    return reading.routes;
}
