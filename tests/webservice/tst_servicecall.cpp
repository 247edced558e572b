#include "cannedhttpserver.h"
#include "logcapture.h"
#include "replyfixtures.h"
#include "testmain.h"

#include "webservice/servicecall.h"
#include "webservice/servicequery.h"
#include "webservice/servicereply.h"

#include <QDomDocument>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTextCodec>

#include <dlfcn.h>
#include <sys/resource.h>

#include <functional>

// What both web-service clients rely on, against replies served over real HTTP
// on loopback and read as the clients read them (the document, then its one
// status): each request ends in one answer, hostile replies included, with the
// event loop running and the process's peak memory bounded; and a call stays
// safe whatever its receiver or the network manager does meanwhile.
class TestServiceCall : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { ServiceCall::setDeadlineMs(3000); }
    void init();
    void replyEndsInAnAnswer_data();
    void replyEndsInAnAnswer();
    void unansweredAndRefusedRequestsSayWhy();
    void receiverMayAskAgainFromANestedLoop();
    void receiverMayBeDeletedWhileItReads();
    void managerMayGoFirst();

private:
    // Fetches m_url for `receiver`; the answer goes to m_answers: {true, the
    // status} or {false, the text for the user}. Then runs `then`.
    void start(QObject *receiver, const std::function<void()> &then = {});

    QNetworkAccessManager m_network;
    CannedHttpServer *m_server = nullptr;
    QUrl m_url;
    QPointer<ServiceCall> m_call;   // the latest
    QList<QVariantList> m_answers;
};

namespace {
const long PeakBoundKb = (dlsym(RTLD_DEFAULT, "__asan_init") ? 1024 : 300) * 1024;   // ASan: quarantine
QByteArray nested(const QByteArray &open, const QByteArray &close, int levels = 100000)
{
    return "<status>OK</status>" + open.repeated(levels) + close.repeated(levels);
}
// One 50 KB entity used 5000 times, in the encoding it declares.
QByteArray laughs(const char *codec, const char *declared)
{
    return QTextCodec::codecForName(codec)->fromUnicode(QString("<?xml version=\"1.0\" encoding=\"%1\"?><!DOCTYPE r [<!ENTITY a \"%2\">]>"
                                  "<r><status>OK</status><result><formatted_address>%3</formatted_address></result></r>")
                              .arg(declared, QString(50000, 'a'), QString("&a;").repeated(5000)));
}
QVariantList read(const ServiceCall &call)
{
    QDomDocument document;
    QString error;
    QString status;
    if (!ServiceReply::parse(call, &document, &error) || !ServiceReply::status(document, call, &status, &error))
        return {false, error};
    return {true, status};
}
}

void TestServiceCall::init()
{
    delete m_server;
    m_server = new CannedHttpServer(this);
    m_url = QUrl("http://" + m_server->hostPort() + "/maps/api/geocode/xml");
    m_answers.clear();
}

void TestServiceCall::start(QObject *receiver, const std::function<void()> &then)
{
    m_call = ServiceCall::fetch(&m_network, m_url, receiver, [this, then] {
        m_answers.append(read(*m_call));
        if (then)
            then();
    });
}

void TestServiceCall::replyEndsInAnAnswer_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("critical");   // the one critical line's start; empty: none, success
    QTest::addColumn<QString>("answer");     // the start of the status or of the text for the user
    QTest::addColumn<int>("mode");
    auto row = [](const char *name, const QByteArray &body, const QString &critical,
                  const QString &answer = "The service's reply could not be read.", int mode = 0) {
        QTest::newRow(name) << body << critical << answer << mode;
    };
    const QString deep = "DOM error: \"reply nests elements deeper than 256 levels\"";
    const QString dtd = "DOM error: \"reply declares a DOCTYPE or an entity\"";
    const QByteArray ok = "<status>OK</status>";
    row("empty", QByteArray(), "DOM error: ");
    row("not XML", "<html><body>Oops</b", "DOM error: ");
    row("two statuses", replyDocument("r", ok + "<x>" + ok + "</x>"), "Error");
    row("no status", replyDocument("r", "<result/>"), "Error");
    row("wide encoding, no document", QByteArray::fromHex("fffe3c003f0078006d006c003f003e00"), "DOM error: ");
    // Parsed, these would overflow the stack.
    row("nested 100000 levels deep", replyDocument("r", nested("<x>", "</x>")), deep);
    row("nesting behind '/>' in attributes", replyDocument("r", nested("<x a='/>'>", "</x>")), deep);
    row("nesting in UTF-16", QTextCodec::codecForName("UTF-16")->fromUnicode(replyDocument("r", nested("<x>", "</x>")).replace("UTF-8", "UTF-16")), deep);
    row("DTD, UTF-8", laughs("UTF-8", "UTF-8"), dtd);
    row("DTD, UTF-16", laughs("UTF-16", "UTF-16"), dtd);
    row("DTD, ISO-8859-1", laughs("ISO-8859-1", "ISO-8859-1"), dtd);
    row("DTD, UTF-32", laughs("UTF-32", "UTF-32"), "DOM error: \"reply declares the encoding UTF-32\"");
    row("ten million characters", replyDocument("r", "<status>" + QByteArray(10000000, 'a')),
        "DOM error: \"reply holds a text longer than 65536 characters\"");
    row("half a million nodes", replyDocument("r", QByteArray("<step/>").repeated(500001)),
        "DOM error: \"reply holds more than 500000 nodes\"");
    row("picture in a status", replyDocument("r", "<status>&lt;img src=\"/dev/zero\"&gt;</status>"), QString(),
        "<img src=\"/dev/zero\">");
    row("larger than 32 MiB", replyDocument("r", ok + "<!--" + QByteArray(33 * 1024 * 1024, 'x') + "-->"),
        "DOM error: \"reply larger than");
    row("endless body", "<r>" + ok.repeated(100), "DOM error: \"reply larger than",
        "The service's reply could not be read.", CannedHttpServer::Endless);
    row("dripping body", replyDocument("r", ""), "DOM error: \"no complete reply within 3000 ms\"",
        "The service took too long to answer.", CannedHttpServer::Drip);
    row("dropped connection", QByteArray(), "DOM error: ", "Network error: ", CannedHttpServer::Drop);
}

void TestServiceCall::replyEndsInAnAnswer()
{
    QFETCH(int, mode);
    QFETCH(QString, answer);
    QFETCH(QString, critical);
    m_server->setMode(CannedHttpServer::Mode(mode));
    QFETCH(QByteArray, body);
    m_server->setBody(body);
    LogCapture log;
    start(this);
    QTRY_COMPARE_WITH_TIMEOUT(m_answers.size(), 1, 60000);
    QCOMPARE(m_answers.first().at(0).toBool(), critical.isEmpty());
    const QString text = m_answers.first().at(1).toString();
    QVERIFY2(text.startsWith(answer), qPrintable(text));
    const QStringList lines = log.lines(QtCriticalMsg);
    QCOMPARE(lines.size(), critical.isEmpty() ? 0 : 1);
    QVERIFY2(lines.value(0).startsWith(critical), qPrintable(lines.value(0).left(200)));
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    QVERIFY2(usage.ru_maxrss < PeakBoundKb, qPrintable(QString::number(usage.ru_maxrss)));
}

// No answer in time, and nobody listening: said in words, the host named as
// configured. The time-out is shortened, the text follows it.
void TestServiceCall::unansweredAndRefusedRequestsSayWhy()
{
    const int configured = ServiceQuery::transferTimeout();
    const auto restore = qScopeGuard([=] {
        ServiceQuery::setTransferTimeout(configured);
        ServiceCall::setDeadlineMs(3000);
    });
    ServiceQuery::setTransferTimeout(2000);
    ServiceCall::setDeadlineMs(ServiceCall::DefaultDeadlineMs);
    m_server->setMode(CannedHttpServer::Silent);
    start(this);
    QCOMPARE(m_call->reply()->request().transferTimeout(), 2000);
    QTRY_COMPARE_WITH_TIMEOUT(m_answers.size(), 1, 20000);
    QCOMPARE(m_answers.last(), (QVariantList{false, QString("The service did not answer within 2 seconds.")}));

    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    m_url.setPort(closed.serverPort());
    closed.close();
    start(this);
    QTRY_COMPARE_WITH_TIMEOUT(m_answers.size(), 2, 20000);
    QCOMPARE(m_answers.last().at(1).toString(),
             QString("Cannot reach the map service at 127.0.0.1:%1 (connection refused).").arg(m_url.port()));
}

// The receiver discards its call and asks again from a nested event loop, in
// which the new request is answered, while the first reply is still delivering
// its finished(). That reply must stay alive until the delivery is over: the
// receiver touches it after its loop (a use-after-free shows under
// AddressSanitizer) and its destruction is recorded.
void TestServiceCall::receiverMayAskAgainFromANestedLoop()
{
    m_server->setBody(replyDocument("r", "<status>FIRST</status>"));
    QObject receiver;
    bool delivering = false;
    bool firstGoneInsideItsDelivery = false;
    QPointer<QNetworkReply> first;
    start(&receiver, [&] {
        QNetworkReply *reply = m_call->reply();
        first = reply;
        connect(reply, &QObject::destroyed, &receiver, [&] { firstGoneInsideItsDelivery |= delivering; });
        delivering = true;
        QEventLoop loop;
        QTimer::singleShot(0, &receiver, [&] {
            m_call->discard();
            m_server->setBody(replyDocument("r", "<status>SECOND</status>"));
            // Keep the nested loop going for a while so deferred deletes get their chance.
            start(&receiver, [&] { QTimer::singleShot(100, &loop, &QEventLoop::quit); });
        });
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        delivering = false;
        QVERIFY(reply->isFinished());
        QCOMPARE(reply->error(), QNetworkReply::NoError);
    });
    QTRY_COMPARE_WITH_TIMEOUT(m_answers.size(), 2, 10000);
    QCOMPARE(m_answers, (QList<QVariantList>{{true, "FIRST"}, {true, "SECOND"}}));
    QVERIFY(!firstGoneInsideItsDelivery);
    QTRY_VERIFY(first.isNull());
    QVERIFY(m_call);
    QCOMPARE(m_server->targets().size(), 2);
}

void TestServiceCall::receiverMayBeDeletedWhileItReads()
{
    m_server->setBody(replyDocument("r", "<status>OK</status>"));
    auto *receiver = new QObject;
    QPointer<QNetworkReply> delivered;
    start(receiver, [&] {
        delivered = m_call->reply();
        delete receiver;
        QTest::qWait(50);
        QVERIFY(!delivered.isNull());
    });
    QTRY_COMPARE_WITH_TIMEOUT(m_answers.size(), 1, 5000);
    QTRY_VERIFY(delivered.isNull());
}

void TestServiceCall::managerMayGoFirst()
{
    m_server->setMode(CannedHttpServer::Silent);
    auto *network = new QNetworkAccessManager;
    QPointer<ServiceCall> call = ServiceCall::fetch(network, m_url, this, [&] { m_answers.append(QVariantList()); });
    QTRY_COMPARE_WITH_TIMEOUT(m_server->targets().size(), 1, 5000);
    delete network;
    QVERIFY(call.isNull());
    QTest::qWait(50);
    QVERIFY(m_answers.isEmpty());
}

MARLU_TEST_MAIN(TestServiceCall)
#include "tst_servicecall.moc"
