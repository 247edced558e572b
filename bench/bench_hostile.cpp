// Hostile replies through the real clients. "endless": the process's peak memory
// and the time until the geocoder answers while an endless chunked body streams
// in over loopback. "nesting": the time the directions client takes to refuse a
// reply of 1.4 MB nested 200,000 levels deep, plainly and with "/>" inside
// attribute values.
#include "bufferreply.h"
#include "cannedhttpserver.h"
#include "testhome.h"

#include "directions/googledirections.h"
#include "geocoding/geocoderequester.h"
#include "webservice/servicecall.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QSettings>

#include <sys/resource.h>

#include <cstdio>

static long peakKb()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

static int endless()
{
    CannedHttpServer server;
    server.setMode(CannedHttpServer::Endless);
    server.setBody("<GeocodeResponse>" + QByteArray("<status>OK</status>").repeated(100));
    QSettings().setValue("Servers/GeocodingHost", server.hostPort());
    QNetworkAccessManager network;
    GeocodeRequester geocoder(&network, nullptr);
    QElapsedTimer clock;
    QString error;
    QObject::connect(&geocoder, &GeocodeRequester::finish, [&](bool, QString text) {
        error = text;
        QCoreApplication::quit();
    });
    clock.start();
    geocoder.query("x");
    QCoreApplication::exec();
    std::printf("endless body: answered after %lld ms (\"%s\"), peak memory %ld MiB\n",
                static_cast<long long>(clock.elapsed()), qPrintable(error), peakKb() / 1024);
    return 0;
}

static void refuse(const char *name, const QByteArray &open, const QByteArray &close)
{
    const int levels = 200000;
    const QByteArray body = "<DirectionsResponse><status>OK</status>" + open.repeated(levels)
                            + close.repeated(levels) + "</DirectionsResponse>";
    QNetworkAccessManager network;
    GoogleDirections directions(&network, nullptr);
    QString error;
    QObject::connect(&directions, &GoogleDirections::finish, [&](bool, QString text) { error = text; });
    directions.m_call = new ServiceCall(new BufferReply(body, &directions));
    QElapsedTimer clock;
    clock.start();
    directions.onFinished();
    std::printf("%s, %.1f MB: answered after %.1f ms (\"%s\")\n", name, body.size() / 1e6,
                clock.nsecsElapsed() / 1e6, qPrintable(error));
}

int main(int argc, char *argv[])
{
    TestHome home;
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules("default.debug=false\ndefault.critical=false");
    if (app.arguments().value(1) == "endless")
        return endless();
    refuse("nesting", "<x>", "</x>");
    refuse("nesting behind \"/>\" in attributes", "<x a='/>'>", "</x>");
    return 0;
}
