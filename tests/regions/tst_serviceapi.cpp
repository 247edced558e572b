#include "servicestandin.h"
#include "testmain.h"

#include "regions/region.h"
#include "regions/serviceapi.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>

#include <sys/stat.h>

// The private API's client against a stand-in on loopback: the key goes along,
// and whatever comes back is one sentence when it is not what was asked for.
class TestServiceApi : public QObject
{
    Q_OBJECT
private slots:
    void hostileAnswersBecomeOneSentence_data();
    void hostileAnswersBecomeOneSentence();
    void identityNeedsTheKey();
    void keyPathsThatAreNoKeyAreNamed_data();
    void keyPathsThatAreNoKeyAreNamed();
    void theKeyNeverLeavesThisComputer();
    void regionListKeepsOnlyUsableEntries();

private:
    ServiceApi::Answer ask(const QUrl &base, const QString &path);
    QNetworkAccessManager m_network;
};

ServiceApi::Answer TestServiceApi::ask(const QUrl &base, const QString &path)
{
    ServiceApi api(&m_network, base);
    ServiceApi::Answer got;
    bool done = false;
    api.get(path, [&](const ServiceApi::Answer &a) { got = a; done = true; });
    [&] { QTRY_VERIFY_WITH_TIMEOUT(done, 30000); }();
    return got;
}

void TestServiceApi::hostileAnswersBecomeOneSentence_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("error");
    QTest::newRow("not JSON") << QByteArray("<html>hello</html>") << 200
                              << "The map service's answer is not the JSON object expected.";
    QTest::newRow("an array") << QByteArray("[1, 2]") << 200
                              << "The map service's answer is not the JSON object expected.";
    QTest::newRow("error with markup, spread over lines")
        << QByteArray("{\"error\": \"<b>bad</b>\\n  name\"}") << 400 << "<b>bad</b> name";
    QTest::newRow("error that is not text") << QByteArray("{\"error\": [1]}") << 409
                                            << "The map service answered HTTP 409.";
}

void TestServiceApi::hostileAnswersBecomeOneSentence()
{
    QFETCH(QByteArray, json);
    QFETCH(int, status);
    ServiceStandIn service;
    service.answer("GET /marlu/regions", json, status);
    const ServiceApi::Answer answer = ask(service.url(), "/marlu/regions");
    QVERIFY(!answer.ok);
    QTEST(answer.error, "error");
    QCOMPARE(service.calls(), QStringList{"GET /marlu/regions"});
}

void TestServiceApi::identityNeedsTheKey()
{
    ServiceStandIn service;
    ServiceApi api(&m_network, service.url());
    int verified = 0;
    api.verifyIdentity([&](const ServiceApi::Answer &a) { verified = a.ok ? 1 : -1; });
    QTRY_VERIFY_WITH_TIMEOUT(verified != 0, 30000);
    QCOMPARE(verified, 1);

    // Another user's key (or none) fails the proof; so does a wrong key for the rest.
    QFile key(ServiceApi::secretPath());
    QVERIFY(key.open(QIODevice::WriteOnly));
    key.write(QByteArray(64, 'f'));
    key.close();
    verified = 0;
    api.verifyIdentity([&](const ServiceApi::Answer &a) { verified = a.ok ? 1 : -1; });
    QTRY_VERIFY_WITH_TIMEOUT(verified != 0, 30000);
    QCOMPARE(verified, -1);
    // A relay of a real service on another port passes on a proof that does not fit.
    QVERIFY(key.open(QIODevice::WriteOnly));
    key.write(ServiceStandIn::Secret);
    key.close();
    service.relay(9);
    ServiceApi::Answer relayed;
    api.verifyIdentity([&](const ServiceApi::Answer &a) { relayed = a; verified = 2; });
    QTRY_VERIFY_WITH_TIMEOUT(verified == 2, 30000);
    QVERIFY(!relayed.ok);
    QCOMPARE(relayed.error, QString("It passes on the answers of Marlu's map service at 127.0.0.1:9: "
                                    "a program in between relays it."));
    QVERIFY(key.open(QIODevice::WriteOnly));
    key.write(QByteArray(64, 'f'));
    key.close();
    const ServiceApi::Answer refused = ask(service.url(), "/marlu/regions");
    QCOMPARE(refused.status, 403);
    QCOMPARE(refused.error, QString("The map service refused the request: A request without the key."));

    // A key file that is not a key is said so, and nothing is sent.
    QVERIFY(key.open(QIODevice::WriteOnly));
    key.write("not a key");
    key.close();
    const int before = service.requests().size();
    const ServiceApi::Answer unread = ask(service.url(), "/marlu/regions");
    QVERIFY(unread.error.endsWith("is not 64 hexadecimal characters."));
    QCOMPARE(service.requests().size(), before);
}

void TestServiceApi::keyPathsThatAreNoKeyAreNamed_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("error");
    QTest::newRow("folder") << "folder" << "is not a plain file.";
    QTest::newRow("pipe, which would block a reader") << "fifo" << "is not a plain file.";
    QTest::newRow("symbolic link") << "link" << "is a symbolic link, not the key file.";
    QTest::newRow("readable by others") << "0644" << "can be read by other users.";
    QTest::newRow("missing") << "none" << "cannot be read: No such file or directory.";
}

void TestServiceApi::keyPathsThatAreNoKeyAreNamed()
{
    QFETCH(QString, kind);
    const QString path = ServiceApi::secretPath();
    QDir().mkpath(QFileInfo(path).path());
    QFile::remove(path);
    QDir(path).removeRecursively();
    QFile real(path + ".real");
    QVERIFY(real.open(QIODevice::WriteOnly));
    real.write(ServiceStandIn::Secret);
    real.close();
    QVERIFY(real.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    if (kind == "folder")
        QVERIFY(QDir().mkpath(path));
    else if (kind == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind == "link")
        QVERIFY(real.link(path));
    else if (kind == "0644")
        QVERIFY(real.copy(path) && QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadOther));
    QString why;
    QVERIFY(ServiceApi::readSecret(&why).isEmpty());
    QVERIFY2(why.startsWith("The map service's key " + path + ' '), qPrintable(why));
    QTEST(why.mid(("The map service's key " + path + ' ').size()), "error");
    QFile::remove(path);
    QDir(path).removeRecursively();
}

void TestServiceApi::theKeyNeverLeavesThisComputer()
{
    ServiceStandIn service;   // writes the key
    const ServiceApi::Answer answer = ask(QUrl("http://maps.example.org:8717/"), "/marlu/regions");
    QCOMPARE(answer.error, QString("The map host maps.example.org:8717 is not the map service on this computer."));
    QVERIFY(service.requests().isEmpty());
}

void TestServiceApi::regionListKeepsOnlyUsableEntries()
{
    const QByteArray json = R"({"regions": [
        {"name": "monaco", "bbox": [7.40, 43.72, 7.44, 43.76], "size": 1200000, "date": "2024-01-01T00:00:00Z",
         "state": "ready", "progress": 100, "stage": "", "error": "", "job": ""},
        {"name": "../places.sqlite", "state": "ready"},
        {"name": "berlin", "state": "exploding"},
        {"name": 5, "state": "ready"},
        {"name": "andorra", "bbox": [1, 2, "x", 4], "size": -5, "state": "downloading", "progress": 250,
         "job": "j1", "bytes": 10, "total": 100, "speed": 5, "eta": "soon"}]})";
    int skipped = 0;
    const QList<Region> regions = Region::listFrom(QJsonDocument::fromJson(json).object(), &skipped);
    QCOMPARE(skipped, 3);
    QCOMPARE(regions.size(), 2);
    QCOMPARE(regions[0].bbox, QRectF(7.40, 43.72, 0.04, 0.04));
    QVERIFY(regions[1].bbox.isNull());
    QCOMPARE(regions[1].size, qint64(0));
    QCOMPARE(regions[1].progress, 100);
    QCOMPARE(regions[1].eta, qint64(-1));
    QVERIFY(regions[1].running());
}

MARLU_TEST_MAIN(TestServiceApi)
#include "tst_serviceapi.moc"
