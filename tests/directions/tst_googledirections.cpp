#include "cannedhttpserver.h"
#include "clientcontract.h"
#include "logcapture.h"
#include "pageserver.h"
#include "replyfixtures.h"
#include "testmain.h"

#include "directions/googledirections.h"
#include "directions/polyline.h"
#include "webservice/servicecall.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QSettings>
#include <QSignalSpy>

static QByteArray step(const QByteArray &text)
{
    return "<step><start_location><lat>1</lat><lng>2</lng></start_location>"
           "<duration><value>60</value><text>1 min</text></duration>"
           "<html_instructions>" + text + "</html_instructions>"
           "<distance><value>100</value><text>0.1 km</text></distance></step>";
}

static QStringList descriptions(const Directions &route)
{
    QStringList out;
    for (const Step &s : route.steps)
        out << s.description();
    return out;
}

// The directions client against replies served over real HTTP on loopback.
class TestGoogleDirections : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void metaObjectHasSignalThenSlot();
    void stepToString_data();
    void stepToString();
    void requestItemsInOrderAndEncoded_data();
    void requestItemsInOrderAndEncoded();
    void publishedRouteTorontoMontreal();
    void publishedZeroResults();
    void routeLinesAreKeptAndHostileOnesDropped();
    void readableReplies_data();
    void readableReplies();
    void otherStatusTextsAreReported_data();
    void otherStatusTextsAreReported();
    void unreadableRepliesReportFailure_data();
    void unreadableRepliesReportFailure();
    void routesAndStepsBeyondTheLimitsAreRefused();
    void everyQueryEmptiesTheRoutes();
    void onlyTheNewestOfTwoQueriesReports();
    void localServiceAnswers();

private:
    QSignalSpy *run();

    QNetworkAccessManager m_network;
    CannedHttpServer *m_server = nullptr;
    GoogleDirections *m_directions = nullptr;
};

void TestGoogleDirections::init()
{
    delete m_directions;
    delete m_server;
    m_server = new CannedHttpServer(this);
    QSettings().setValue("Servers/DirectionsHost", m_server->hostPort());
    m_directions = new GoogleDirections(&m_network, this);
}

QSignalSpy *TestGoogleDirections::run()
{
    auto *spy = new QSignalSpy(m_directions, &GoogleDirections::finish);
    m_directions->query("Toronto", "Montreal", "driving", false, "metric", {});
    spy->wait(5000);
    return spy;
}

void TestGoogleDirections::metaObjectHasSignalThenSlot()
{
    verifyClientMetaObject(GoogleDirections::staticMetaObject, "GoogleDirections");
}

void TestGoogleDirections::stepToString_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("distance");
    QTest::addColumn<QString>("duration");
    QTest::addColumn<double>("lat");
    QTest::addColumn<double>("lng");
    QTest::addColumn<QString>("expected");
    QTest::newRow("six significant digits")
        << "Head <b>north</b>" << "0.2 km" << "1 min" << 52.520008 << 13.404954
        << "Head <b>north</b> (0.2 km 1 min) --> 52.52 13.405";
    QTest::newRow("placeholders in values stay literal")
        << "Take %1 then %2" << "%3 km" << "%4%5" << -0.5 << 179.999999
        << "Take %1 then %2 (%3 km %4%5) --> -0.5 180";
}

void TestGoogleDirections::stepToString()
{
    QFETCH(QString, description);
    QFETCH(double, lat);
    QFETCH(double, lng);
    Step s;
    s.setDescription(description);
    QFETCH(QString, distance);
    s.m_distanceText = distance;
    QFETCH(QString, duration);
    s.m_durationText = duration;
    s.setCoordinates(lat, lng);
    QTEST(s.toString(), "expected");
}

void TestGoogleDirections::requestItemsInOrderAndEncoded_data()
{
    QTest::addColumn<QString>("origin");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("alternatives");
    QTest::addColumn<QString>("units");
    QTest::addColumn<QStringList>("avoid");
    QTest::addColumn<QString>("query");

    QTest::newRow("avoid repeats in list order")
        << "A" << "B" << "driving" << true << "metric" << QStringList{"highways", "tolls"}
        << "sensor=false&origin=A&destination=B&mode=driving&alternatives=true&units=metric"
           "&avoid=highways&avoid=tolls";
    QTest::newRow("alternatives false still sent, no avoid")
        << "A" << "B" << "walking" << false << "imperial" << QStringList()
        << "sensor=false&origin=A&destination=B&mode=walking&alternatives=false&units=imperial";
    QTest::newRow("values encoded")
        << "52.52,13.40" << QString::fromUtf8("Zürich A&B=C+D") << "bicycling" << false
        << "metric" << QStringList{"tolls"}
        << "sensor=false&origin=52.52%2C13.40&destination=Z%C3%BCrich%20A%26B%3DC%2BD"
           "&mode=bicycling&alternatives=false&units=metric&avoid=tolls";
}

void TestGoogleDirections::requestItemsInOrderAndEncoded()
{
    QFETCH(QString, origin);
    QFETCH(QString, destination);
    QFETCH(QString, mode);
    QFETCH(bool, alternatives);
    QFETCH(QString, units);
    QFETCH(QStringList, avoid);
    QFETCH(QString, query);
    m_server->setBody(publishedReply("directions-zero-results-google.xml"));
    LogCapture log;
    QSignalSpy spy(m_directions, &GoogleDirections::finish);
    QVERIFY(m_directions->query(origin, destination, mode, alternatives, units, avoid));
    QCOMPARE(m_directions->m_call->reply()->request().transferTimeout(), 30000);
    QVERIFY(spy.wait(5000));
    QCOMPARE(m_server->targets(), QStringList{"/maps/api/directions/xml?" + query});
    const QString url = QString("\"http://%1/maps/api/directions/xml?%2\"").arg(m_server->hostPort(), query);
    QCOMPARE(log.lines().mid(0, 2), (QStringList{url, "Directions Requested"}));
}

void TestGoogleDirections::publishedRouteTorontoMontreal()
{
    m_server->setBody(publishedReply("directions-ok-1route-17steps-google-toronto-montreal.xml"));
    LogCapture log;
    QScopedPointer<QSignalSpy> spy(run());
    QCOMPARE(spy->count(), 1);
    QCOMPARE(spy->first(), (QList<QVariant>{true, QString()}));
    QCOMPARE(m_directions->m_routes.size(), 1);

    const Directions &route = m_directions->m_routes.first();
    QCOMPARE(route.summary, QString("ON-401 E"));
    QCOMPARE(route.copyrights, QString::fromUtf8("Map data ©2022 Google"));
    QCOMPARE(route.steps.size(), 17);

    const Step &first = route.steps.first();
    QCOMPARE(first.description(),
             QString("Head <b>north</b> on <b>Bay St.</b> toward <b>Hagerman St</b>"));
    QCOMPARE(first.latitude(), 43.6533961);
    QCOMPARE(first.longitude(), -79.3827986);
    QCOMPARE(first.m_duration, 47);
    QCOMPARE(first.m_durationText, QString("1 min"));
    QCOMPARE(first.m_distance, 270);
    QCOMPARE(first.m_distanceText, QString("0.3 km"));
    QVERIFY(route.steps.at(11).description().endsWith(
        "<div style=\"font-size:0.9em\">Entering Quebec</div>"));
    QVERIFY(route.steps.at(15).description().contains(
        QString::fromUtf8("<b>Boulevard René-Lévesque O</b> (signs for <b>Rue city</b>/<wbr/>")));
    QCOMPARE(route.steps.last().description(), QString("Turn <b>right</b> onto <b>Blvd Robert-Bourassa</b>"));
    int seconds = 0, metres = 0;
    for (const Step &s : route.steps) {
        seconds += s.m_duration;
        metres += s.m_distance;
    }
    QCOMPARE(seconds, 20391);
    QCOMPARE(metres, 540543);

    const QStringList debug = log.lines(QtDebugMsg);
    const int status = debug.indexOf("-- status: \"OK\"");
    QVERIFY(debug.indexOf("reply finished") >= 0);
    QVERIFY(status > debug.indexOf("reply finished"));
    QCOMPARE(debug.at(status + 1), QString("Route: \"ON-401 E\""));
    QCOMPARE(debug.at(status + 2), QString("\"Head <b>north</b> on <b>Bay St.</b> toward "
                                           "<b>Hagerman St</b> (0.3 km 1 min) --> 43.6534 -79.3828\""));
    QCOMPARE(debug.size(), status + 2 + 17);
    QVERIFY(log.lines(QtCriticalMsg).isEmpty());
}

// The lines guidance follows: each step's and the route's, read from a real
// reply; an unreadable or oversized line is dropped alone, the steps stay.
void TestGoogleDirections::routeLinesAreKeptAndHostileOnesDropped()
{
    m_server->setBody(publishedReply("directions-ok-1route-17steps-google-toronto-montreal.xml"));
    QScopedPointer<QSignalSpy> spy(run());
    QCOMPARE(spy->count(), 1);
    QCOMPARE(m_directions->m_routes.size(), 1);
    const Directions &route = m_directions->m_routes.first();
    QVERIFY(route.overview.size() > 100);
    for (int i = 0; i < route.steps.size(); ++i) {
        const Step &s = route.steps.at(i);
        QVERIFY(s.m_hasEnd && s.m_path.size() >= 2);
        // A line runs from the step's start to its end, to the 1e-5 degrees of the format.
        QVERIFY(qAbs(s.m_path.first().x() - s.latitude()) < 2e-5 && qAbs(s.m_path.first().y() - s.longitude()) < 2e-5);
        QVERIFY(qAbs(s.m_path.last().x() - s.m_endLatitude) < 2e-5 && qAbs(s.m_path.last().y() - s.m_endLongitude) < 2e-5);
    }
    QVERIFY(qAbs(route.overview.last().x() - route.steps.last().m_endLatitude) < 1e-3);

    // Lines of 30,000 points each (under the reader's text limit): the fourth
    // goes beyond the route's points.
    const QByteArray big = QByteArray("??").repeated(30000);
    const auto lined = [](const QByteArray &text, const QByteArray &points) {
        QByteArray s = step(text);
        s.insert(s.size() - 7, "<end_location><lat>3</lat><lng>4</lng></end_location><polyline><points>"
                                   + points + "</points></polyline>");
        return s;
    };
    const QString good = Polyline::encode({{1, 2}, {2, 3}, {3, 4}});
    m_server->setBody(directionsReply("<status>OK</status><route><overview_polyline><points>_</points>"
                                      "</overview_polyline>" + lined("a", good.toLatin1()) + lined("b", "!!")
                                      + lined("c", "_") + lined("d", big) + lined("e", big) + lined("f", big)
                                      + lined("g", big) + lined("h", "_ibE_seK_ibE_seK") + "</route>"));
    LogCapture log;
    spy.reset(run());
    QCOMPARE(spy->count(), 1);
    QCOMPARE(m_directions->m_routes.size(), 1);
    const Directions &hostile = m_directions->m_routes.first();
    QCOMPARE(descriptions(hostile), (QStringList{"a", "b", "c", "d", "e", "f", "g", "h"}));
    QCOMPARE(hostile.steps.at(0).m_path, (QVector<QPointF>{{1, 2}, {2, 3}, {3, 4}}));
    for (int i : {1, 2, 6})
        QVERIFY(hostile.steps.at(i).m_path.isEmpty() && hostile.steps.at(i).m_hasEnd);
    QCOMPARE(hostile.steps.at(5).m_path.size(), 30000);
    QCOMPARE(hostile.steps.at(7).m_path, (QVector<QPointF>{{1, 2}, {2, 4}}));
    QVERIFY(hostile.overview.isEmpty());
    QCOMPARE(log.lines(QtCriticalMsg),
             QStringList{QString("Refused 4 route lines: unreadable or beyond %1 points").arg(GoogleDirections::MaxRoutePoints)});
}

void TestGoogleDirections::publishedZeroResults()
{
    m_server->setBody(publishedReply("directions-zero-results-google.xml"));
    QScopedPointer<QSignalSpy> spy(run());
    QCOMPARE(spy->count(), 1);
    QCOMPARE(spy->first(), (QList<QVariant>{false, QString("No results found.")}));
    QVERIFY(m_directions->m_routes.isEmpty());
}

// Each route is written "summary: step, step, ...", the steps by their instructions.
void TestGoogleDirections::readableReplies_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("routes");

    QTest::newRow("no route") << directionsReply("<status>OK</status>") << QStringList();
    QTest::newRow("steps of two legs form one list")
        << directionsReply("<status>OK</status><route><summary>R</summary>"
                 "<leg>" + step("a") + step("b") + "</leg><leg>" + step("c") + "</leg>"
                 "<copyrights>C</copyrights></route>")
        << QStringList{"R: a, b, c"};
    QTest::newRow("steps nested at any depth, in document order")
        << directionsReply("<status>OK</status><route>" + step("a") + "<x><y>" + step("b") + "</y></x>"
                 + step("c") + "</route>")
        << QStringList{": a, b, c"};
    QTest::newRow("alternatives in document order, steps kept apart")
        << directionsReply("<status>OK</status><route><summary>One</summary>" + step("a") + "</route>"
                 "<route><summary>Two</summary>" + step("b") + step("c") + "</route>")
        << QStringList{"One: a", "Two: b, c"};
    QTest::newRow("sub-steps follow their step")
        << directionsReply("<status>OK</status><route><step><html_instructions>a</html_instructions>"
                 "<steps>" + step("a1") + step("a2") + "</steps></step>" + step("b") + "</route>")
        << QStringList{": a, a1, a2, b"};
    QTest::newRow("steps outside a route belong to none")
        << directionsReply("<status>OK</status>" + step("x") + "<route><summary>Empty</summary></route>"
                 + step("y") + "<route/>" + step("z") + "<route><summary>Last</summary>"
                 + step("a") + "</route>" + step("w"))
        << QStringList{"Empty: ", ": ", "Last: a"};
    QTest::newRow("a route inside a route: the outer one holds every step")
        << directionsReply("<status>OK</status><route><summary>Outer</summary>" + step("a")
                 + "<route><summary>Inner</summary>" + step("b") + "</route>" + step("c") + "</route>")
        << QStringList{"Outer: a, b, c", "Inner: b"};
    QTest::newRow("nested 200 levels deep, comments and CDATA with tags in them")
        << directionsReply("<!-- <x><x><x> --><status>OK</status>" + QByteArray("<x>").repeated(200)
                 + "<route><summary><![CDATA[<y><y>]]></summary>" + step("a") + "</route>"
                 + QByteArray("</x>").repeated(200))
        << QStringList{"<y><y>: a"};
    QTest::newRow("summary of a nested element is not the route's")
        << directionsReply("<status>OK</status><route><leg><summary>leg</summary></leg></route>")
        << QStringList{": "};
}

void TestGoogleDirections::readableReplies()
{
    QFETCH(QByteArray, body);
    m_server->setBody(body);
    QScopedPointer<QSignalSpy> spy(run());
    QCOMPARE(spy->count(), 1);
    QCOMPARE(spy->first(), (QList<QVariant>{true, QString()}));
    QStringList routes;
    for (const Directions &route : qAsConst(m_directions->m_routes))
        routes << route.summary + ": " + descriptions(route).join(", ");
    QTEST(routes, "routes");
}

void TestGoogleDirections::otherStatusTextsAreReported_data()
{
    QTest::addColumn<QString>("status");
    QTest::newRow("lower case") << "ok";
    QTest::newRow("surrounding space") << " OK ";
    QTest::newRow("not found") << "NOT_FOUND";
    QTest::newRow("empty") << "";
}

void TestGoogleDirections::otherStatusTextsAreReported()
{
    QFETCH(QString, status);
    m_server->setBody(directionsReply("<status>" + status.toUtf8() + "</status><route>" + step("a") + "</route>"));
    QScopedPointer<QSignalSpy> spy(run());
    QCOMPARE(spy->count(), 1);
    QCOMPARE(spy->first(), (QList<QVariant>{false, "Service returned status: " + status}));
    QVERIFY(m_directions->m_routes.isEmpty());
}

void TestGoogleDirections::unreadableRepliesReportFailure_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("critical");
    QTest::newRow("not XML") << QByteArray("<html><body>Oops</b") << "DOM error: ";
    QTest::newRow("two statuses")
        << directionsReply("<status>OK</status><route>" + step("a") + "<status>OK</status></route>") << "Error";
    QTest::newRow("no status") << directionsReply("<route>" + step("a") + "</route>") << "Error";
}

void TestGoogleDirections::unreadableRepliesReportFailure()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, critical);
    m_server->setBody(body);
    LogCapture log;
    QScopedPointer<QSignalSpy> spy(run());
    verifyFailureReport(*spy, log, "The service's reply could not be read.", critical);
    QVERIFY(m_directions->m_routes.isEmpty());
}

void TestGoogleDirections::routesAndStepsBeyondTheLimitsAreRefused()
{
    m_server->setBody(directionsReply("<status>OK</status><route>" + QByteArray("<step/>").repeated(5001)
                                      + "</route>" + QByteArray("<route/>").repeated(20)));
    LogCapture log;
    QScopedPointer<QSignalSpy> spy(run());
    QCOMPARE(spy->first(), (QList<QVariant>{true, QString()}));
    QCOMPARE(m_directions->m_routes.size(), 20);
    QCOMPARE(m_directions->m_routes.first().steps.size(), 5000);
    QCOMPARE(log.lines(QtCriticalMsg), (QStringList{"Refused 1 routes beyond the first 20",
                                                    "Refused 1 steps beyond the first 5000 of a route"}));
}

void TestGoogleDirections::everyQueryEmptiesTheRoutes()
{
    m_server->setBody(directionsReply("<status>OK</status><route><summary>R</summary>"
                            "<leg><step><duration><value>90</value></duration>"
                            "<distance><value>1.5</value><text>1.5 m</text></distance></step>"
                            "<step/></leg></route>"));
    QScopedPointer<QSignalSpy> spy(run());
    QCOMPARE(m_directions->m_routes.size(), 1);
    const QList<Step> steps = m_directions->m_routes.first().steps;
    QCOMPARE(steps.size(), 2);
    QCOMPARE(steps.at(0).m_duration, 90);
    QCOMPARE(steps.at(0).m_durationText, QString());
    QCOMPARE(steps.at(0).m_distance, 0);
    QCOMPARE(steps.at(0).m_distanceText, QString("1.5 m"));
    QCOMPARE(steps.at(1).description(), QString());
    QCOMPARE(steps.at(1).latitude(), 0.0);
    QCOMPARE(steps.at(1).longitude(), 0.0);
    QCOMPARE(steps.at(1).m_duration, 0);

    m_server->setBody(directionsReply("<status>OVER_QUERY_LIMIT</status>"));
    m_directions->query("a", "b", "driving", false, "metric", {});
    QVERIFY(m_directions->m_routes.isEmpty());
    QVERIFY(spy->wait(5000));
    QCOMPARE(spy->last().at(0).toBool(), false);
    QVERIFY(m_directions->m_routes.isEmpty());
}

void TestGoogleDirections::onlyTheNewestOfTwoQueriesReports()
{
    m_server->setBody(publishedReply("directions-ok-1route-17steps-google-toronto-montreal.xml"));
    m_server->setDelayMs(200);
    QSignalSpy spy(m_directions, &GoogleDirections::finish);
    m_directions->query("first", "x", "driving", false, "metric", {});
    QPointer<QNetworkReply> first(m_directions->m_call->reply());
    m_directions->query("second", "x", "driving", false, "metric", {});
    QVERIFY(m_directions->m_call->reply() != first);
    QVERIFY(spy.wait(5000));
    QTest::qWait(400);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(m_directions->m_routes.size(), 1);
    QCOMPARE(m_directions->m_routes.first().steps.size(), 17);
    QVERIFY(first.isNull());
}

void TestGoogleDirections::localServiceAnswers()
{
    PageServer service;
    QVERIFY(service.start());
    QSettings().setValue("Servers/DirectionsHost", service.hostPort());
    QSignalSpy spy(m_directions, &GoogleDirections::finish);

    // Real routes in the imported Monaco region: quickest and shortest differ.
    m_directions->query("La Condamine, Monaco", "Fontvieille, Monaco", "driving", true, "metric",
                        {"tolls"});
    QVERIFY(spy.wait(15000));
    QCOMPARE(spy.last(), (QList<QVariant>{true, QString()}));
    QVERIFY(m_directions->m_routes.size() > 1);
    for (const Directions &route : qAsConst(m_directions->m_routes)) {
        QVERIFY(!route.summary.isEmpty());
        QVERIFY(route.copyrights.startsWith("Map data"));
        QVERIFY(!route.steps.isEmpty());
        for (const Step &s : route.steps) {
            QVERIFY(!s.description().isEmpty());
            QVERIFY(s.m_duration > 0 && !s.m_durationText.isEmpty());
            QVERIFY(s.m_distance > 0 && !s.m_distanceText.isEmpty());
        }
        // Routino's steps come with their lines, which guidance follows.
        for (const Step &s : route.steps)
            QVERIFY(s.m_path.size() >= 2 && s.m_hasEnd);
        QVERIFY(route.overview.size() >= route.steps.size());
        const Step &first = route.steps.first();
        QVERIFY2(qAbs(first.latitude() - 43.734) < 0.005 && qAbs(first.longitude() - 7.420) < 0.005,
                 qPrintable(first.toString()));
    }

    // Outside the imported map data: no route, never an invented one.
    m_directions->query("Paris", "Toronto", "driving", false, "metric", {});
    QVERIFY(m_directions->m_routes.isEmpty());
    QVERIFY(spy.wait(15000));
    QCOMPARE(spy.last(), (QList<QVariant>{false, QString("No results found. No route: outside the imported map data.")}));

    m_directions->query("Xqzzyville Nowhere", "Paris", "walking", false, "imperial", {});
    QVERIFY(spy.wait(15000));
    QCOMPARE(spy.last(), (QList<QVariant>{false, QString("Service returned status: NOT_FOUND")}));
    QVERIFY(m_directions->m_routes.isEmpty());
    QCOMPARE(spy.count(), 3);
}

MARLU_TEST_MAIN(TestGoogleDirections)
#include "tst_googledirections.moc"
