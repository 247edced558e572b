#include "logcapture.h"
#include "mapwindowtest.h"
#include "modalscript.h"
#include "pageserver.h"
#include "testmain.h"

#include "app/mainwindow.h"
#include "platform/pickselectoraction.h"

#include <QGeoCoordinate>
#include <QGeoPositionInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebFrame>
#include <QWebView>

#include <cmath>

// Fixes replayed through the position plugin, from the source to the real page.
class TestTracking : public MapWindowTest::Suite
{
    Q_OBJECT
private slots:
    void initTestCase();
    void fixReachesPageAndFollowsOnlyInFollowMode();
    void foundPlaceEndsFollowModeUntilRecentre();
    void accuracyCircleFollowsTheSwitch();
    void directionRule_data();
    void directionRule();
    void autoRotateShapesTheCanvasAndUndoesIt();
    void recentreBeforeAnyFixSendsNoNan();
    void pageThatDeletesItsSourceCannotHarmTheWindow();
    void updateModeIndexSetsRateAndIsSaved_data();
    void updateModeIndexSetsRateAndIsSaved();

private:
    MainWindow *startWindow(const QList<QPointF> &fixes, double hdop = 1.1);
    QJsonObject pageState() { return MapWindowTest::pageState(m_window); }
    QStringList snippets(const QString &prefix) const { return MapWindowTest::snippets(*m_log, prefix); }
    QAction *menuAction(const QString &text) { return MapWindowTest::menuEntry(m_window, text); }

    QTemporaryDir m_dir;
};

namespace {

const double StartLat = 35.8185;
const double StartLon = -78.8641;

using MapWindowTest::nmeaAngle;
using MapWindowTest::nmeaSentence;

// One RMC and one GGA sentence per fix, 200 ms apart, so that a replay is quick.
QByteArray track(const QList<QPointF> &fixes, double hdop)
{
    QByteArray out;
    for (int i = 0; i < fixes.size(); ++i) {
        const double lat = fixes[i].x();
        const double lon = fixes[i].y();
        const int cs = 20 * i;
        const QByteArray time = QByteArray("1200") + QByteArray::number(cs / 100).rightJustified(2, '0')
                                + "." + QByteArray::number(cs % 100).rightJustified(2, '0');
        const QByteArray ns = lat < 0 ? "S" : "N";
        const QByteArray ew = lon < 0 ? "W" : "E";
        out += nmeaSentence("GPRMC," + time + ",A," + nmeaAngle(lat, 2) + "," + ns + "," + nmeaAngle(lon, 3) + ","
                        + ew + ",10.0,0.0,070326,,,A");
        out += nmeaSentence("GPGGA," + time + "," + nmeaAngle(lat, 2) + "," + ns + "," + nmeaAngle(lon, 3) + "," + ew
                        + ",1,08," + QByteArray::number(hdop, 'f', 1) + ",100.0,M,-33.0,M,,");
    }
    return out;
}

} // namespace

void TestTracking::initTestCase()
{
    QVERIFY(m_dir.isValid());
    MapWindowTest::Suite::initTestCase();
}

MainWindow *TestTracking::startWindow(const QList<QPointF> &fixes, double hdop)
{
    static int n = 0;
    QFile file(m_dir.filePath(QString("track%1.nmea").arg(++n)));
    if (!file.open(QIODevice::WriteOnly))
        return nullptr;
    file.write(track(fixes, hdop));
    file.close();
    qputenv("MARLU_NMEA_FILE", file.fileName().toLocal8Bit());

    m_window = MapWindowTest::start(*m_log);
    return m_window;
}

void TestTracking::fixReachesPageAndFollowsOnlyInFollowMode()
{
    // A stationary start, then a move north-east: the source hands on the
    // latest fix once a second.
    QList<QPointF> fixes;
    for (int i = 0; i < 10; ++i)
        fixes << QPointF(52.5200, 13.4050);
    for (int i = 1; i <= 20; ++i)
        fixes << QPointF(52.5200 + i * 0.001, 13.4050 + i * 0.001);
    QSettings().setValue("UpdateMode", 1);
    QVERIFY(startWindow(fixes));

    QTRY_VERIFY_WITH_TIMEOUT(!snippets("updateCenter(").isEmpty(), 10000);
    QCOMPARE(snippets("updateCenter(").first(), QString("updateCenter(true, 52.52, 13.405, 0);"));
    QJsonObject state = pageState();
    const QJsonObject position = state["position"].toObject();
    QVERIFY(position["lat"].toDouble() >= 52.52 && position["lng"].toDouble() >= 13.405);
    // Follow mode: the map is centred where the marker is (to a pixel).
    QVERIFY(std::fabs(state["center"].toObject()["lat"].toDouble() - position["lat"].toDouble()) < 0.1);
    QVERIFY(std::fabs(state["center"].toObject()["lng"].toDouble() - position["lng"].toDouble()) < 0.1);
    QCOMPARE(state["accuracy"].toDouble(), 0.0);
    QVERIFY(snippets("track(").isEmpty());   // no route sheet, no track

    // A pan ends follow mode: later fixes move the marker, not the map.
    QTest::keyClick(m_window, Qt::Key_Left);
    const QJsonObject panned = pageState();
    m_log->clear();
    QTRY_VERIFY_WITH_TIMEOUT(!snippets("updateCenter(false, 52.5").isEmpty()
                                 && !snippets("updateCenter(false, 52.52,").contains(snippets("updateCenter(").last()),
                             8000);
    QVERIFY(snippets("updateCenter(true").isEmpty());
    state = pageState();
    QCOMPARE(state["center"].toObject()["lng"].toDouble(), panned["center"].toObject()["lng"].toDouble());
    QVERIFY(std::fabs(state["center"].toObject()["lng"].toDouble() - 13.4) > 1);
    QVERIFY(state["position"].toObject()["lat"].toDouble() > 52.52);
}

void TestTracking::foundPlaceEndsFollowModeUntilRecentre()
{
    QList<QPointF> fixes;
    for (int i = 0; i < 60; ++i)
        fixes << QPointF(52.5200 + i * 0.0001, 13.4050);
    QSettings().setValue("UpdateMode", 1);
    QSettings().setValue("Servers/GeocodingHost", m_server.hostPort());
    QVERIFY(startWindow(fixes));
    QTRY_VERIFY_WITH_TIMEOUT(!snippets("updateCenter(true").isEmpty(), 10000);

    ModalScript script;
    script.then([](QWidget *w) {
        w->findChild<QLineEdit *>("lineEdit")->setText("Paris, France");
        QTest::mouseClick(w->findChild<QPushButton *>("pushButton"), Qt::LeftButton);
        auto *list = w->findChild<QListWidget *>("listWidget");
        // Closed whatever happens: a dialog left open would hold the test forever.
        if (!QTest::qWaitFor([&] { return list->count() > 0; }, 30000)) {
            w->close();
            QFAIL("no candidates for Paris, France");
        }
        QMetaObject::invokeMethod(w, "on_listWidget_doubleClicked", Q_ARG(QModelIndex, list->model()->index(0, 0)));
    });
    menuAction("Find Address")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(script.done() && !QApplication::activeModalWidget(), 15000);
    QCOMPARE(pageState()["marks"].toArray().size(), 1);

    // Later fixes move the own marker only: the found place stays in view.
    m_log->clear();
    QTRY_VERIFY_WITH_TIMEOUT(snippets("updateCenter(").size() >= 2, 8000);
    QVERIFY(snippets("updateCenter(true").isEmpty());
    QVERIFY(std::fabs(pageState()["center"].toObject()["lat"].toDouble() - 48.85) < 0.5);

    QTest::keyClick(m_window, Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(snippets("updateCenter(").last().startsWith("updateCenter(true, 52.52"));
    m_log->clear();
    QTRY_VERIFY_WITH_TIMEOUT(!snippets("updateCenter(").isEmpty(), 5000);
    QVERIFY(snippets("updateCenter(false").isEmpty());
}

void TestTracking::accuracyCircleFollowsTheSwitch()
{
    QList<QPointF> fixes;
    for (int i = 0; i < 12; ++i)
        fixes << QPointF(48.8566 + i * 0.0001, 2.3522);
    QSettings().setValue("UpdateMode", 1);
    QVERIFY(startWindow(fixes, 2.5));   // 2 x HDOP x 5 m: 25 m

    QAction *accuracy = menuAction("Show Accuracy");
    QVERIFY(accuracy && accuracy->isCheckable() && !accuracy->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(!snippets("updateCenter(").isEmpty(), 10000);
    m_log->clear();
    accuracy->trigger();
    QVERIFY(snippets("radius").isEmpty());   // nothing until the next fix
    QTRY_VERIFY_WITH_TIMEOUT(!snippets("updateCenter(").isEmpty(), 5000);
    QVERIFY(snippets("updateCenter(").first().endsWith(", 25);"));
    QCOMPARE(pageState()["accuracy"].toDouble(), 25.0);

    accuracy->trigger();
    QCOMPARE(snippets("radius"), QStringList{"radius=null;"});
    QCOMPARE(pageState()["accuracy"].toDouble(), 0.0);
    m_log->clear();
    QTRY_VERIFY_WITH_TIMEOUT(!snippets("updateCenter(").isEmpty(), 5000);
    QVERIFY(snippets("updateCenter(").first().endsWith(", 0);"));
}

void TestTracking::directionRule_data()
{
    // Moves (dLat, dLon) from the start-up position, and the angles sent.
    QTest::addColumn<QList<QPointF>>("moves");
    QTest::addColumn<QList<int>>("sent");
    using M = QList<QPointF>;
    // Heading-up: north-bound 0 (the start angle, so sent at once), east-bound 270,
    // south-bound 180, west-bound 90; a new angle is sent when a second move confirms it.
    QTest::newRow("north") << M{{0.001, 0.0001}, {0.002, 0}} << QList<int>{0, 0};
    QTest::newRow("east along a parallel") << M{{0, 0.001}, {0, 0.001}} << QList<int>{270};
    QTest::newRow("west along a parallel") << M{{0, -0.001}, {0, -0.001}} << QList<int>{90};
    QTest::newRow("south") << M{{-0.001, 0.0001}, {-0.001, -0.0001}} << QList<int>{180};
    QTest::newRow("mostly east") << M{{0.0001, 0.001}, {0.0001, 0.002}, {-0.0001, 0.001}}
                                 << QList<int>{270, 270};
    // 0.0011 degrees of longitude are shorter on the ground than 0.001 of latitude here.
    QTest::newRow("north-east by degrees, north by bearing") << M{{0.001, 0.0011}, {0.001, 0.0011}}
                                                             << QList<int>{0, 0};
    QTest::newRow("direction change needs confirming")
        << M{{0.001, 0}, {0.001, 0}, {0.0001, 0.001}, {-0.0001, -0.001}, {-0.0001, -0.001}}
        << QList<int>{0, 0, 90};
    QTest::newRow("identical fix keeps the recorded angle")
        << M{{0.0001, 0.001}, {0, 0}, {0.0001, 0.001}} << QList<int>{270};
}

void TestTracking::directionRule()
{
    QFETCH(QList<QPointF>, moves);
    QFETCH(QList<int>, sent);

    QVERIFY(startWindow({}));
    menuAction("Auto Rotate")->trigger();
    m_log->clear();
    // The source as the page sees it: fixes go in at the source's own slot.
    GeoLocation *source = MapWindowTest::pageSource(m_window);
    QVERIFY(source);
    QPointF at(StartLat, StartLon);
    for (const QPointF &m : moves) {
        at += m;
        source->positionUpdated(QGeoPositionInfo(QGeoCoordinate(at.x(), at.y()), QDateTime::currentDateTimeUtc()));
    }
    QCOMPARE(snippets("updateCenter(").size(), moves.size());

    QList<int> angles;
    for (const QString &s : snippets("document.getElementById(\"map_canvas\").style[\"WebkitTransform\"]")) {
        const int from = s.indexOf("rotate(") + 7;
        angles << s.mid(from, s.indexOf("deg") - from).toInt();
    }
    QCOMPARE(angles, sent);
    const QJsonObject canvas = pageState()["canvas"].toObject();
    QCOMPARE(canvas["transform"].toString(), QString("rotate(%1deg)").arg(sent.last()));
}

void TestTracking::autoRotateShapesTheCanvasAndUndoesIt()
{
    QVERIFY(startWindow({}));
    auto *view = m_window->findChild<QWebView *>("webView");
    const int side = int(std::ceil(std::hypot(view->width(), view->height())));
    m_log->clear();
    menuAction("Auto Rotate")->trigger();
    QCOMPARE(snippets("document"),
             (QStringList{QString("document.getElementById(\"map_canvas\").style[\"width\"] = \"%1px\";").arg(side),
                          QString("document.getElementById(\"map_canvas\").style[\"height\"] = \"%1px\";").arg(side)}));
    QJsonObject canvas = pageState()["canvas"].toObject();
    QCOMPARE(canvas["width"].toInt(), side);
    QCOMPARE(canvas["height"].toInt(), side);
    // Centred and clipped: it covers the view, so a turn shows no bars.
    const QVariantMap box = view->page()->mainFrame()->evaluateJavaScript(
        "(function(){var r=document.getElementById('map_canvas').getBoundingClientRect();"
        "return {left:r.left,top:r.top,right:r.right,bottom:r.bottom};})()").toMap();
    QVERIFY(box["left"].toDouble() <= 0 && box["top"].toDouble() <= 0);
    QVERIFY(box["right"].toDouble() >= view->width() && box["bottom"].toDouble() >= view->height());
    QVERIFY(std::fabs(box["left"].toDouble() + box["right"].toDouble() - view->width()) <= 1);

    m_log->clear();
    menuAction("Auto Rotate")->trigger();
    QCOMPARE(snippets("document"),
             (QStringList{"document.getElementById(\"map_canvas\").style[\"WebkitTransform\"] = \"rotate(0deg)\";",
                          "document.getElementById(\"map_canvas\").style[\"width\"] = \"100%\";",
                          "document.getElementById(\"map_canvas\").style[\"height\"] = \"100%\";"}));
    canvas = pageState()["canvas"].toObject();
    QCOMPARE(canvas["width"].toInt(), view->width());
    QCOMPARE(canvas["height"].toInt(), view->height());
}

void TestTracking::recentreBeforeAnyFixSendsNoNan()
{
    QVERIFY(startWindow({}));
    menuAction("Show Accuracy")->trigger();
    QTest::keyClick(m_window, Qt::Key_Up);   // leaves follow mode
    m_log->clear();
    QTest::keyClick(m_window, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(snippets("updateCenter("), QStringList{"updateCenter(true, 35.8185, -78.8641, -1);"});
    const QJsonObject state = pageState();
    QCOMPARE(state["position"].toObject()["lat"].toDouble(), StartLat);
    QCOMPARE(state["center"].toObject()["lng"].toDouble(), StartLon);

    m_log->clear();
    QTest::keyClick(m_window, Qt::Key_Return);   // not the re-centre key
    QVERIFY(snippets("updateCenter(").isEmpty());
}

void TestTracking::pageThatDeletesItsSourceCannotHarmTheWindow()
{
    QList<QPointF> fixes;
    for (int i = 0; i < 600; ++i)
        fixes << QPointF(52.5200 + i * 0.0001, 13.4050);
    QSettings().setValue("UpdateMode", 1);
    QVERIFY(startWindow(fixes));
    QWebFrame *frame = m_window->findChild<QWebView *>("webView")->page()->mainFrame();
    QTRY_VERIFY_WITH_TIMEOUT(!snippets("updateCenter(").isEmpty(), 10000);

    // Everything a page script can do to what it was given.
    frame->evaluateJavaScript("var p = pelmark; p.deleteLater(); p.objectName = 'gone';"
                              "delete window.pelmark; window.pelmark = null;");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_log->clear();
    QTRY_VERIFY_WITH_TIMEOUT(snippets("updateCenter(").size() >= 2, 10000);

    QSignalSpy loaded(m_window->findChild<QWebView *>("webView"), &QWebView::loadFinished);
    QMetaObject::invokeMethod(m_window, "reload");
    QVERIFY(loaded.wait(15000));
    frame->evaluateJavaScript("window.seenLat = 0;"
                              "pelmark.updated.connect(function () { window.seenLat = pelmark.latitude; });");
    QTRY_VERIFY_WITH_TIMEOUT(frame->evaluateJavaScript("seenLat").toDouble() > 52.5, 10000);
}

void TestTracking::updateModeIndexSetsRateAndIsSaved_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("line");
    QTest::newRow("every 5 seconds") << 3 << "GeoLocation::setUpdatesPerHour: 720";
    QTest::newRow("off") << 0 << "GeoLocation::setUpdatesPerHour: 0";
    QTest::newRow("hourly, no picker entry") << 12 << "GeoLocation::setUpdatesPerHour: 1";
    QTest::newRow("past the table") << 13 << "GeoLocation::setUpdatesPerHour: 0";
    QTest::newRow("negative") << -1 << "GeoLocation::setUpdatesPerHour: 0";
}

void TestTracking::updateModeIndexSetsRateAndIsSaved()
{
    QFETCH(int, index);
    QFETCH(QString, line);
    QVERIFY(startWindow({}));
    m_log->clear();
    QVERIFY(QMetaObject::invokeMethod(m_window, "onSourceUpdates", Q_ARG(int, index)));
    QCOMPARE(QSettings().value("UpdateMode").toInt(), index);
    QVERIFY2(m_log->lines().contains(line), qPrintable(m_log->lines().join('\n')));
}

MARLU_TEST_MAIN(TestTracking)
#include "tst_tracking.moc"
