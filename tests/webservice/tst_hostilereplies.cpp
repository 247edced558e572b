#include "cannedhttpserver.h"
#include "logcapture.h"
#include "modalanswerer.h"
#include "replyfixtures.h"
#include "testmain.h"

#include "directions/googledirections.h"
#include "geocoding/geocoderequester.h"
#include "webservice/plainmessage.h"
#include "webservice/servicecall.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QSettings>
#include <QSignalSpy>
#include <QTextCodec>

// Replies written to hurt, through both real clients over loopback HTTP: each
// ends in an answer to the caller, shown as plain text in a warning box, with
// the event loop running and the process's peak memory bounded.
class TestHostileReplies : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { ServiceCall::setDeadlineMs(3000); }
    void replyEndsInAnAnswer_data();
    void replyEndsInAnAnswer();
};

namespace {
const QByteArray OkStatus = "<status>OK</status>";
QByteArray nested(const QByteArray &open, const QByteArray &close, int levels = 100000)
{
    return OkStatus + open.repeated(levels) + close.repeated(levels);
}
QByteArray encoded(const char *codec, const QString &text)
{
    return QTextCodec::codecForName(codec)->fromUnicode(text);
}
const QString Laughs = "<?xml version=\"1.0\" encoding=\"%1\"?><!DOCTYPE r [<!ENTITY a \""
                       + QString(50000, 'a') + "\">]><r><status>OK</status><result><formatted_address>"
                       + QString("&a;").repeated(5000) + "</formatted_address></result></r>";
qint64 peakMemoryKb()
{
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    const QByteArray text = status.readAll();
    const int at = text.indexOf("VmHWM:");
    return text.mid(at + 6, text.indexOf('\n', at) - at - 6).trimmed().split(' ').value(0).toLongLong();
}
}

void TestHostileReplies::replyEndsInAnAnswer_data()
{
    QTest::addColumn<bool>("geocoding");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("answer");     // the text for the user; empty: success
    QTest::addColumn<QString>("critical");   // the one critical line's start; empty: none
    const QString unread = "The service's reply could not be read.";
    const QString deep = "DOM error: \"reply nests elements deeper than 256 levels\"";
    const QString dtd = "DOM error: \"reply declares a DOCTYPE or an entity\"";
    const int whole = CannedHttpServer::Answer;
    auto row = [](const char *name, bool geocoding, const QByteArray &body, const QString &answer,
                  const QString &critical, int mode = CannedHttpServer::Answer) {
        QTest::newRow(name) << geocoding << mode << body << answer << critical;
    };
    row("nesting", false, directionsReply(nested("<route>", "</route>")), unread, deep);
    row("nesting behind '>' in attributes", true, geocodeReply(nested("<x a='>'>", "</x>")), unread, deep);
    row("nesting behind '/>' in attributes", true, geocodeReply(nested("<x a='/>'>", "</x>")), unread, deep);
    row("nesting behind prefixes", false, directionsReply(nested("<p:x xmlns:p='u'>", "</p:x>")), unread, deep);
    row("nesting in UTF-16", true, encoded("UTF-16", geocodeReply(nested("<x>", "</x>")).replace("UTF-8", "UTF-16")), unread, deep);
    row("nesting, 1.4 MB", false, directionsReply(nested("<x>", "</x>", 200000)), unread, deep);
    row("DTD, UTF-8", true, Laughs.arg("UTF-8").toUtf8(), unread, dtd);
    row("DTD, UTF-16", false, encoded("UTF-16", Laughs.arg("UTF-16")), unread, dtd);
    row("DTD, UTF-16BE", true, encoded("UTF-16BE", Laughs.arg("UTF-16")), unread, dtd);
    row("DTD, ISO-8859-1", true, Laughs.arg("ISO-8859-1").toLatin1(), unread, dtd);
    row("DTD, UTF-32", false, encoded("UTF-32", Laughs.arg("UTF-32")), unread, "DOM error: \"reply declares the encoding UTF-32\"");
    row("DTD, windows-1252", true, Laughs.arg("windows-1252").toLatin1(), unread, "DOM error: \"reply declares the encoding windows-1252\"");
    row("undeclared entity", true, geocodeReply(OkStatus + "<result><formatted_address>&a;</formatted_address></result>"), unread, "DOM error: ");
    row("ten million characters", true, geocodeReply(OkStatus + "<result><formatted_address>" + QByteArray(10000000, 'a')), unread,
        "DOM error: \"reply holds a text longer than 65536 characters\"");
    row("half a million nodes", false, directionsReply(OkStatus + QByteArray("<step/>").repeated(500001)), unread,
        "DOM error: \"reply holds more than 500000 nodes\"");
    row("picture in a status", true, geocodeReply("<status>&lt;img src=\"/dev/zero\"&gt;</status>"),
        "Service returned status: <img src=\"/dev/zero\">", QString());
    row("link in a status", false, directionsReply("<status><![CDATA[<h1><a href='file:///etc/passwd'>x</a>]]></status>"),
        "Service returned status: <h1><a href='file:///etc/passwd'>x</a>", QString());
    row("endless body", true, "<GeocodeResponse>" + QByteArray("<status>OK</status>").repeated(100), unread,
        "DOM error: \"reply larger than", CannedHttpServer::Endless);
    row("dripping body", false, directionsReply(OkStatus + QByteArray(1000, ' ')), "The service took too long to answer.",
        "DOM error: \"no complete reply within 3000 ms\"", CannedHttpServer::Drip);
    row("1001 results", true, geocodeReply(OkStatus + QByteArray("<result/>").repeated(1001)), QString(),
        "Refused 1 results beyond the first 1000");
    row("21 routes", false, directionsReply(OkStatus + QByteArray("<route/>").repeated(21)), QString(),
        "Refused 1 routes beyond the first 20");
    row("5001 steps", false, directionsReply(OkStatus + "<route>" + QByteArray("<step/>").repeated(5001) + "</route>"),
        QString(), "Refused 1 steps beyond the first 5000 of a route", whole);
}

void TestHostileReplies::replyEndsInAnAnswer()
{
    QFETCH(bool, geocoding);
    QFETCH(int, mode);
    QFETCH(QByteArray, body);
    QFETCH(QString, answer);
    QFETCH(QString, critical);
    CannedHttpServer server;
    server.setMode(CannedHttpServer::Mode(mode));
    server.setBody(body);
    QSettings().setValue(geocoding ? "Servers/GeocodingHost" : "Servers/DirectionsHost", server.hostPort());
    QNetworkAccessManager network;
    GeocodeRequester geocoder(&network, nullptr);
    GoogleDirections directions(&network, nullptr);
    QSignalSpy spy(geocoding ? static_cast<QObject *>(&geocoder) : &directions, SIGNAL(finish(bool, QString)));
    LogCapture log;
    if (geocoding)
        geocoder.query("x");
    else
        directions.query("a", "b", "driving", false, "metric", {});
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 60000);
    QCOMPARE(spy.first().at(0).toBool(), answer.isEmpty());
    QCOMPARE(spy.first().at(1).toString(), answer);
    const QStringList lines = log.lines(QtCriticalMsg);
    QCOMPARE(lines.size(), critical.isEmpty() ? 0 : 1);
    QVERIFY2(lines.value(0).startsWith(critical), qPrintable(lines.value(0).left(200)));
    QVERIFY2(peakMemoryKb() < 300 * 1024, qPrintable(QString::number(peakMemoryKb())));

    if (answer.isEmpty())
        return;
    Qt::TextFormat shown = Qt::AutoText;
    ModalAnswerer answerer(QMessageBox::Ok);
    answerer.setBeforeAnswer([&] { shown = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())->textFormat(); });
    PlainMessage::warning(nullptr, "Directions", answer);
    QCOMPARE(answerer.lastText(), answer);
    QCOMPARE(shown, Qt::PlainText);
}

MARLU_TEST_MAIN(TestHostileReplies)
#include "tst_hostilereplies.moc"
