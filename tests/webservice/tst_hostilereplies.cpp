#include "cannedhttpserver.h"
#include "logcapture.h"
#include "modalanswerer.h"
#include "replyfixtures.h"
#include "testmain.h"

#include "directions/googledirections.h"
#include "geocoding/geocoderequester.h"
#include "webservice/plainmessage.h"
#include "webservice/servicecall.h"

#include <QNetworkAccessManager>
#include <QSettings>
#include <QSignalSpy>
#include <QStyle>
#include <QTextCodec>

#include <dlfcn.h>
#include <sys/resource.h>

// Replies written to hurt, through both real clients over loopback HTTP: each
// ends in an answer to the caller (which the window shows), with the event loop
// running and the process's peak memory bounded.
class TestHostileReplies : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { ServiceCall::setDeadlineMs(3000); }
    void replyEndsInAnAnswer_data();
    void replyEndsInAnAnswer();
    void warningKeepsItsTitleWhole();
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
}

void TestHostileReplies::replyEndsInAnAnswer_data()
{
    QTest::addColumn<bool>("geocoding");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("critical");   // the one critical line's start; empty: none
    QTest::addColumn<QString>("answer");     // the text for the user; empty: success
    QTest::addColumn<int>("mode");
    auto row = [](const char *name, bool geocoding, const QByteArray &body, const QString &critical,
                  const QString &answer = "The service's reply could not be read.", int mode = 0) {
        QTest::newRow(name) << geocoding << body << critical << answer << mode;
    };
    const QString deep = "DOM error: \"reply nests elements deeper than 256 levels\"";
    const QString dtd = "DOM error: \"reply declares a DOCTYPE or an entity\"";
    const QByteArray ok = "<status>OK</status>";
    row("nesting behind '/>' in attributes", true, geocodeReply(nested("<x a='/>'>", "</x>")), deep);
    row("nesting in UTF-16", true, QTextCodec::codecForName("UTF-16")->fromUnicode(geocodeReply(nested("<x>", "</x>")).replace("UTF-8", "UTF-16")), deep);
    row("DTD, UTF-16", false, laughs("UTF-16", "UTF-16"), dtd);
    row("DTD, ISO-8859-1", true, laughs("ISO-8859-1", "ISO-8859-1"), dtd);
    row("DTD, UTF-32", false, laughs("UTF-32", "UTF-32"), "DOM error: \"reply declares the encoding UTF-32\"");
    row("ten million characters", true, geocodeReply("<status>" + QByteArray(10000000, 'a')),
        "DOM error: \"reply holds a text longer than 65536 characters\"");
    row("half a million nodes", false, directionsReply(QByteArray("<step/>").repeated(500001)),
        "DOM error: \"reply holds more than 500000 nodes\"");
    row("picture in a status", true, geocodeReply("<status>&lt;img src=\"/dev/zero\"&gt;</status>"), QString(),
        "Service returned status: <img src=\"/dev/zero\">");
    row("endless body", true, "<GeocodeResponse>" + ok.repeated(100), "DOM error: \"reply larger than",
        "The service's reply could not be read.", CannedHttpServer::Endless);
    row("dripping body", false, directionsReply(""), "DOM error: \"no complete reply within 3000 ms\"",
        "The service took too long to answer.", CannedHttpServer::Drip);
    row("1001 results", true, geocodeReply(ok + QByteArray("<result/>").repeated(1001)), "Refused 1 results beyond the first 1000", QString());
    row("5001 steps", false, directionsReply(ok + "<route>" + QByteArray("<step/>").repeated(5001) + "</route>"),
        "Refused 1 steps beyond the first 5000 of a route", QString());
}

void TestHostileReplies::replyEndsInAnAnswer()
{
    QFETCH(bool, geocoding);
    QFETCH(int, mode);
    QFETCH(QString, answer);
    QFETCH(QString, critical);
    CannedHttpServer server;
    server.setMode(CannedHttpServer::Mode(mode));
    QFETCH(QByteArray, body);
    server.setBody(body);
    QSettings().setValue(geocoding ? "Servers/GeocodingHost" : "Servers/DirectionsHost", server.hostPort());
    QNetworkAccessManager network;
    GeocodeRequester geocoder(&network, nullptr);
    GoogleDirections directions(&network, nullptr);
    QSignalSpy spy(geocoding ? static_cast<QObject *>(&geocoder) : &directions, SIGNAL(finish(bool, QString)));
    LogCapture log;
    geocoding ? geocoder.query("x") : directions.query("a", "b", "driving", false, "metric", {});
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 60000);
    QCOMPARE(spy.first(), (QList<QVariant>{answer.isEmpty(), answer}));
    const QStringList lines = log.lines(QtCriticalMsg);
    QCOMPARE(lines.size(), critical.isEmpty() ? 0 : 1);
    QVERIFY2(lines.value(0).startsWith(critical), qPrintable(lines.value(0).left(200)));
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    QVERIFY2(usage.ru_maxrss < PeakBoundKb, qPrintable(QString::number(usage.ru_maxrss)));
}

// The box that shows a reply's error, on the handheld's screen: its title whole
// in bold beside the frame's icon and buttons.
void TestHostileReplies::warningKeepsItsTitleWhole()
{
    MARLU_REQUIRE_HANDHELD_SCREEN();
    ModalAnswerer answerer(QMessageBox::Ok);
    int width = 0;
    answerer.setBeforeAnswer([&] { width = QApplication::activeModalWidget()->frameGeometry().width(); });
    PlainMessage::warning(nullptr, "Find Address", "No match.");
    QFont bold;
    bold.setBold(true);
    QVERIFY(width >= QFontMetrics(bold).horizontalAdvance("Find Address")
                         + 3 * QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight));
}

MARLU_TEST_MAIN(TestHostileReplies)
#include "tst_hostilereplies.moc"
