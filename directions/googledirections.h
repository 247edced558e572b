#ifndef GOOGLEDIRECTIONS_H
#define GOOGLEDIRECTIONS_H

#include "directions/directions.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QDomDocument;
class QDomElement;
class QNetworkAccessManager;
class ServiceCall;

// Asks the directions web service (XML output) for the routes between two
// places given as free text, and reports each answered request with finish().
class GoogleDirections : public QObject
{
    Q_OBJECT
public:
    GoogleDirections(QNetworkAccessManager *manager, QObject *parent);

    static constexpr int MaxRoutes = 20;
    static constexpr int MaxSteps = 5000;   // of one route
    // Points of the lines of one route, its steps' together; the overview
    // has as many again. Lines beyond them are dropped, and guidance takes
    // the straight line between the step locations instead.
    static constexpr int MaxRoutePoints = 100000;

    bool query(QString origin, QString destination, QString mode, bool alternatives,
               QString units, QStringList avoid);
    // Drops the running request: it reports nothing.
    void cancel();

    QPointer<ServiceCall> m_call;   // the latest request
    QNetworkAccessManager *m_network;
    QList<Directions> m_routes;

signals:
    void finish(bool success, QString error);

public slots:
    void onFinished();

private:
    bool readReply(QString *error);
    static QList<Directions> readElements(const QDomDocument &document,
                                          QList<QDomElement> *statuses);
};

#endif
