#include "cannedhttpserver.h"
#include "clientcontract.h"
#include "logcapture.h"
#include "pageserver.h"
#include "replyfixtures.h"
#include "testmain.h"

#include "geocoding/geocoderequester.h"
#include "webservice/servicecall.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSettings>
#include <QSignalSpy>

// The geocoding client against replies served over real HTTP on loopback.
class TestGeocodeRequester : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void metaObjectHasSignalThenSlot();
    void addressIsPercentEncoded_data();
    void addressIsPercentEncoded();
    void viewAndPositionTravelInHeaders();
    void publishedReplyWithTwoCandidates();
    void publishedZeroResults();
    void oddButReadableReplies_data();
    void oddButReadableReplies();
    void otherStatusTextsAreReported_data();
    void otherStatusTextsAreReported();
    void unreadableRepliesReportFailure_data();
    void unreadableRepliesReportFailure();
    void onlyTheNewestOfTwoQueriesReports();
    void resultsKeepTheirAddressesWhileTheListGrows();
    void localServiceAnswersTheNewestOfTwoQueries();

private:
    QSignalSpy *run(const QString &address);

    QNetworkAccessManager m_network;
    CannedHttpServer *m_server = nullptr;
    GeocodeRequester *m_requester = nullptr;
};

void TestGeocodeRequester::init()
{
    delete m_requester;
    delete m_server;
    m_server = new CannedHttpServer(this);
    QSettings().setValue("Servers/GeocodingHost", m_server->hostPort());
    m_requester = new GeocodeRequester(&m_network, this);
}

QSignalSpy *TestGeocodeRequester::run(const QString &address)
{
    auto *spy = new QSignalSpy(m_requester, &GeocodeRequester::finish);
    m_requester->query(address);
    spy->wait(5000);
    return spy;
}

void TestGeocodeRequester::metaObjectHasSignalThenSlot()
{
    verifyClientMetaObject(GeocodeRequester::staticMetaObject, "GeocodeRequester");
}

void TestGeocodeRequester::addressIsPercentEncoded_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("query");
    QTest::newRow("spaces") << "Maple Hollows 12" << "sensor=false&address=Maple%20Hollows%2012";
    QTest::newRow("delimiters") << "A&B=C+D" << "sensor=false&address=A%26B%3DC%2BD";
    QTest::newRow("non-ASCII") << QString::fromUtf8("Zürich Straße") << "sensor=false&address=Z%C3%BCrich%20Stra%C3%9Fe";
    QTest::newRow("empty") << "" << "sensor=false&address=";
    QTest::newRow("untrimmed") << " x " << "sensor=false&address=%20x%20";
}

void TestGeocodeRequester::addressIsPercentEncoded()
{
    QFETCH(QString, address);
    QFETCH(QString, query);
    m_server->setBody(publishedReply("geocode-zero-results-google.xml"));
    LogCapture log;
    QScopedPointer<QSignalSpy> spy(run(address));
    QCOMPARE(spy->count(), 1);
    QCOMPARE(m_server->targets(), QStringList{"/maps/api/geocode/xml?" + query});
    const QString url = QString("\"http://%1/maps/api/geocode/xml?%2\"").arg(m_server->hostPort(), query);
    QCOMPARE(log.lines().mid(0, 2), (QStringList{url, "Requested"}));
}

void TestGeocodeRequester::viewAndPositionTravelInHeaders()
{
    m_server->setBody(publishedReply("geocode-zero-results-google.xml"));
    m_requester->setBias("47.13,9.5,47.15,9.53", "47.14,9.52");
    QScopedPointer<QSignalSpy> spy(run("Vaduz"));
    m_requester->setBias(QString(), QString());
    spy.reset(run("Vaduz"));
    QCOMPARE(spy->count(), 1);
    // The designed URL stays as it is; the bias is in headers, and only while set.
    const QString url = "/maps/api/geocode/xml?sensor=false&address=Vaduz";
    QCOMPARE(m_server->targets(), (QStringList{url, url}));
    const auto biased = m_server->requests().value(0).headers;
    QCOMPARE(biased.value("x-marlu-view"), QByteArray("47.13,9.5,47.15,9.53"));
    QCOMPARE(biased.value("x-marlu-position"), QByteArray("47.14,9.52"));
    const auto plain = m_server->requests().value(1).headers;
    QVERIFY(!plain.contains("x-marlu-view") && !plain.contains("x-marlu-position"));
}

void TestGeocodeRequester::publishedReplyWithTwoCandidates()
{
    m_server->setBody(publishedReply("geocode-ok-2results-google-toledo.xml"));
    LogCapture log;
    QScopedPointer<QSignalSpy> spy(run("Toledo"));
    QCOMPARE(spy->count(), 1);
    QCOMPARE(spy->first().at(0).toBool(), true);
    QCOMPARE(spy->first().at(1).toString(), QString());
    QCOMPARE(m_requester->m_results.size(), 2);

    const GeocodeAddress &ohio = m_requester->m_results.at(0);
    QCOMPARE(ohio.description(), QString("Toledo, OH, USA"));
    QVERIFY(qAbs(ohio.latitude() - 41.6528052) < 1e-9);
    QVERIFY(qAbs(ohio.longitude() - -83.5378674) < 1e-9);
    QCOMPARE(ohio.m_locationType, QString("APPROXIMATE"));
    QCOMPARE(ohio.m_types.mid(0, 2), (QStringList{"locality", "political"}));
    QVERIFY(ohio.m_types.contains("administrative_area_level_1"));
    QCOMPARE(m_requester->m_results.at(1).description(), QString("Toledo, Spain"));

    const QStringList debug = log.lines(QtDebugMsg);
    QVERIFY(debug.contains("reply finished"));
    QVERIFY(debug.contains("parsed xml?"));
    QVERIFY(debug.contains("-- status: \"OK\""));
    QVERIFY(debug.last().startsWith("\"Toledo, Spain\" "));
    QVERIFY(debug.last().endsWith(")"));
}

void TestGeocodeRequester::publishedZeroResults()
{
    m_server->setBody(publishedReply("geocode-zero-results-google.xml"));
    QScopedPointer<QSignalSpy> spy(run("nowhere"));
    QCOMPARE(spy->count(), 1);
    QCOMPARE(spy->first().at(0).toBool(), false);
    QCOMPARE(spy->first().at(1).toString(), QString("No results found."));
    QVERIFY(m_requester->m_results.isEmpty());
}

void TestGeocodeRequester::oddButReadableReplies_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("description");
    QTest::addColumn<double>("lat");
    QTest::addColumn<double>("lng");
    QTest::addColumn<QString>("locationType");
    QTest::addColumn<QStringList>("types");

    QTest::newRow("no results") << geocodeReply("<status>OK</status>") << 0 << QString() << 0.0 << 0.0
                                << QString() << QStringList();
    QTest::newRow("no geometry")
        << geocodeReply("<status>OK</status><result><type>locality</type>"
                 "<formatted_address>Nowhere</formatted_address></result>")
        << 1 << "Nowhere" << 0.0 << 0.0 << QString() << QStringList{"locality"};
    QTest::newRow("nested types in order")
        << geocodeReply("<status>OK</status><result><type>a</type>"
                 "<address_component><type>b</type><type>c</type></address_component>"
                 "<type>d</type><geometry><location><lat>1.5</lat><lng>-2.25</lng></location>"
                 "<location_type>ROOFTOP</location_type></geometry></result>")
        << 1 << QString() << 1.5 << -2.25 << "ROOFTOP" << QStringList{"a", "b", "c", "d"};
    QTest::newRow("coordinates that are not numbers")
        << geocodeReply("<status>OK</status><result><formatted_address>X</formatted_address>"
                 "<geometry><location><lat>north</lat><lng></lng></location></geometry></result>")
        << 1 << "X" << 0.0 << 0.0 << QString() << QStringList();
}

void TestGeocodeRequester::oddButReadableReplies()
{
    QFETCH(QByteArray, body);
    QFETCH(int, count);
    m_server->setBody(body);
    QScopedPointer<QSignalSpy> spy(run("x"));
    QCOMPARE(spy->count(), 1);
    QCOMPARE(spy->first().at(0).toBool(), true);
    QCOMPARE(m_requester->m_results.size(), count);
    if (!count)
        return;
    const GeocodeAddress &a = m_requester->m_results.first();
    QTEST(a.description(), "description");
    QTEST(a.latitude(), "lat");
    QTEST(a.longitude(), "lng");
    QTEST(a.m_locationType, "locationType");
    QTEST(a.m_types, "types");
}

void TestGeocodeRequester::otherStatusTextsAreReported_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<QByteArray>("said");
    QTest::addColumn<QString>("shown");
    QTest::newRow("lower case") << "ok" << QByteArray() << "Service returned status: ok";
    QTest::newRow("surrounding space") << " OK " << QByteArray() << "Service returned status:  OK ";
    QTest::newRow("denied") << "REQUEST_DENIED" << QByteArray() << "Service returned status: REQUEST_DENIED";
    // The service's own sentence says what went wrong and what to do; the status word stays in the log.
    QTest::newRow("sentence") << "UNKNOWN_ERROR"
        << QByteArray("<error_message>Nominatim: no network\n  (its name cannot be looked up). "
                      "Map Services: choose Offline.</error_message>")
        << "Nominatim: no network (its name cannot be looked up). Map Services: choose Offline.";
    QTest::newRow("a page long") << "UNKNOWN_ERROR" << "<error_message>" + QByteArray(5000, 'x') + "</error_message>"
                                 << QString(300, 'x') + QChar(0x2026);
}

void TestGeocodeRequester::otherStatusTextsAreReported()
{
    QFETCH(QString, status);
    QFETCH(QByteArray, said);
    m_server->setBody(geocodeReply("<status>" + status.toUtf8() + "</status>" + said + "<result/>"));
    QScopedPointer<QSignalSpy> spy(run("x"));
    QCOMPARE(spy->count(), 1);
    QCOMPARE(spy->first().at(0).toBool(), false);
    QTEST(spy->first().at(1).toString(), "shown");
    QVERIFY(m_requester->m_results.isEmpty());
}

void TestGeocodeRequester::unreadableRepliesReportFailure_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("critical");
    QTest::newRow("not XML") << QByteArray("<html><body>Oops</b") << "DOM error: ";
    QTest::newRow("no status") << geocodeReply("<result/>") << "Error";
}

void TestGeocodeRequester::unreadableRepliesReportFailure()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, critical);
    m_server->setBody(body);
    LogCapture log;
    QScopedPointer<QSignalSpy> spy(run("x"));
    verifyFailureReport(*spy, log, "The service's reply could not be read.", critical);
    QVERIFY(m_requester->m_results.isEmpty());
}

void TestGeocodeRequester::onlyTheNewestOfTwoQueriesReports()
{
    m_server->setBody(publishedReply("geocode-ok-2results-google-toledo.xml"));
    m_server->setDelayMs(200);
    QSignalSpy spy(m_requester, &GeocodeRequester::finish);
    m_requester->query("first");
    QNetworkReply *first = m_requester->m_call->reply();
    QPointer<QNetworkReply> firstAlive(first);
    m_requester->query("second");
    QVERIFY(m_requester->m_call->reply() != first);
    QVERIFY(spy.wait(5000));
    QTest::qWait(400);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(m_requester->m_results.size(), 2);
    QVERIFY(firstAlive.isNull());
}

void TestGeocodeRequester::resultsKeepTheirAddressesWhileTheListGrows()
{
    QByteArray many = "<status>OK</status>";
    for (int i = 0; i < 1001; ++i)
        many += "<result><formatted_address>Place " + QByteArray::number(i) + "</formatted_address></result>";
    m_server->setBody(geocodeReply(many));
    LogCapture log;
    QScopedPointer<QSignalSpy> spy(run("x"));
    QCOMPARE(m_requester->m_results.size(), 1000);
    QCOMPARE(log.lines(QtCriticalMsg), QStringList{"Refused 1 results beyond the first 1000"});
    const GeocodeAddress *first = &m_requester->m_results.first();
    for (int i = 0; i < 1000; ++i)
        m_requester->m_results.append(GeocodeAddress());
    QCOMPARE(&m_requester->m_results.first(), first);
    QCOMPARE(first->description(), QString("Place 0"));
}

void TestGeocodeRequester::localServiceAnswersTheNewestOfTwoQueries()
{
    PageServer service;
    QVERIFY(service.start());
    QSettings().setValue("Servers/GeocodingHost", service.hostPort());
    QSignalSpy spy(m_requester, &GeocodeRequester::finish);
    m_requester->query("Paris");
    m_requester->query("Toledo, Spain");
    QVERIFY(spy.wait(15000));
    QTest::qWait(300);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.first().at(0).toBool(), true);
    QVERIFY(!m_requester->m_results.isEmpty());
    QCOMPARE(m_requester->m_results.first().description(), QString("Toledo, Spain"));
    QVERIFY(qAbs(m_requester->m_results.first().latitude() - 39.86) < 0.1);

    m_requester->query("Paris");
    QVERIFY(spy.wait(15000));
    QVERIFY(m_requester->m_results.size() > 1);
    QCOMPARE(m_requester->m_results.first().description(), QString("Paris, France"));
    QVERIFY(m_requester->m_results.first().m_types.contains("locality"));

    m_requester->query("Xqzzyville Nowhere");
    QVERIFY(spy.wait(15000));
    QCOMPARE(spy.last().at(1).toString(), QString("No results found."));
}

MARLU_TEST_MAIN(TestGeocodeRequester)
#include "tst_geocoderequester.moc"
