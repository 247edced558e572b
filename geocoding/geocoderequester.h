#ifndef GEOCODEREQUESTER_H
#define GEOCODEREQUESTER_H

#include "geocoding/geocodeaddress.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QDomElement;
class QNetworkAccessManager;
class ServiceCall;

// Resolves a free-text address through the geocoding web service (XML output)
// into candidate places, and reports each answered request with finish().
class GeocodeRequester : public QObject
{
    Q_OBJECT
public:
    GeocodeRequester(QNetworkAccessManager *network, QObject *parent);

    static constexpr int MaxResults = 1000;

    bool query(QString address);
    // The map's view ("south,west,north,east") and the own position ("lat,lng")
    // sent along with the next queries, in headers, so that the service prefers
    // places there; an empty text sends none.
    void setBias(const QString &view, const QString &position);
    // Drops the running request: it reports nothing.
    void cancel();

    // Each element keeps its address while the list grows: the find dialog
    // holds pointers to them until the next query.
    QList<GeocodeAddress> m_results;
    QPointer<ServiceCall> m_call;   // the latest request
    QNetworkAccessManager *m_network;

signals:
    void finish(bool success, QString error);

public slots:
    void onFinished();

private:
    static GeocodeAddress readResult(const QDomElement &result, const QStringList &types);

    QByteArray m_view;
    QByteArray m_position;
};

#endif
