#include "cannedhttpserver.h"
#include "logcapture.h"
#include "mapwindowtest.h"
#include "modalscript.h"
#include "pageserver.h"
#include "testmain.h"

#include "app/mainwindow.h"
#include "directions/currdirectionsdlg.h"
#include "directions/directionsdlg.h"
#include "geocoding/finddlg.h"
#include "platform/maemo5attributes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextDocumentFragment>
#include <QSettings>
#include <QTemporaryDir>
#include <QWebFrame>
#include <QWebView>

// The directions flow end to end: the menu entry, the request form, the
// destination lookup and chooser, the route on the real page from the local
// service, the route sheet and its buttons.
class TestDirectionsFlow : public MapWindowTest::Suite
{
    Q_OBJECT
public:
    TestDirectionsFlow() : Suite({"Servers/MapHost", "Servers/GeocodingHost", "Servers/DirectionsHost"}) {}

private slots:
    void singleCandidateGoesStraightToRoute();
    void severalCandidatesOpenTheChooser();
    void leavingTheChooserDoesNothing();
    void routeFailureWarnsAndMakesNoSheet();
    void alternativeChosenOnSheetIsKept();
    void sheetButtonsClearRecalculateAndNew();
    void recalculateKeepsTheChosenAlternative();
    void ownPositionIsTheStartAndTheTrackIsDrawn();
    void noFixYetAsksForTheStart();
    void newAnswerClosesAnOpenSheet();
    void okWithoutRoutesGivesAnEmptySheet();
    void unreadableRouteReplyWarns();
    void runningLookupTellsTheViewAndEscapeCancelsIt();

private:
    void runDirections(ModalScript &script, int timeoutMs = 20000);
    QJsonObject routeState() const { return MapWindowTest::pageState(m_window)["directions"].toObject(); }
    bool routeShown() const { return routeState()["shown"].toBool(); }
    QStringList snippets(const QString &prefix) const { return MapWindowTest::snippets(*m_log, prefix); }
};

namespace {

template <typename T>
T *child(QWidget *w, const char *name)
{
    return w->findChild<T *>(QString::fromLatin1(name));
}

// The request form as a user fills it.
ModalScript::Step request(const QString &start, const QString &destination, bool alternatives = false)
{
    return [=](QWidget *w) {
        if (!qobject_cast<DirectionsDlg *>(w))
            return;
        auto *startEdit = child<QLineEdit>(w, "startEdit");
        if (startEdit->isVisible())
            startEdit->setText(start);
        child<QLineEdit>(w, "destinationEdit")->setText(destination);
        child<QCheckBox>(w, "alternativesCheck")->setChecked(alternatives);
        QTest::mouseClick(child<QPushButton>(w, "okBtt"), Qt::LeftButton);
    };
}

ModalScript::Step chooseInChooser(const QString &text)
{
    return [=](QWidget *w) {
        auto *list = child<QListWidget>(w, "listWidget");
        if (!list)
            return;
        const auto items = list->findItems(text, Qt::MatchExactly);
        if (items.isEmpty()) {
            w->close();
            return;
        }
        // Laid out only once shown: wait for the rows to have their places.
        QTest::qWaitFor([&] { return list->visualItemRect(items.first()).isValid(); }, 2000);
        list->scrollToItem(items.first());
        const QPoint at = list->visualItemRect(items.first()).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    };
}

ModalScript::Step closeWindow()
{
    return [](QWidget *w) { w->close(); };
}

ModalScript::Step click(const char *button)
{
    return [=](QWidget *w) {
        if (auto *b = child<QPushButton>(w, button))
            QTest::mouseClick(b, Qt::LeftButton);
    };
}

} // namespace

void TestDirectionsFlow::runDirections(ModalScript &script, int timeoutMs)
{
    QAction *entry = MapWindowTest::menuEntry(m_window, "Directions");
    QVERIFY(entry);
    entry->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(script.done() && !QApplication::activeModalWidget(), timeoutMs);
    QVERIFY(!Maemo5Attributes::testAttribute(m_window, Maemo5Attributes::ShowProgressIndicator));
}

void TestDirectionsFlow::singleCandidateGoesStraightToRoute()
{
    startWindow();
    QString sheetTitle;
    int steps = 0;
    bool comboShown = true;
    QString copyright;
    ModalScript script;
    script.then(request("\"La Condamine\"", "Fontvieille, Monaco"))
        .then([&](QWidget *w) {
            sheetTitle = w->windowTitle();
            steps = child<QListWidget>(w, "directionsList")->count();
            comboShown = child<QComboBox>(w, "routesCombo")->isVisibleTo(w);
            copyright = child<QLabel>(w, "copyrightLbl")->text();
            // The page asks the service again and draws the route meanwhile.
            QTest::qWaitFor([&] { return routeShown(); }, 10000);
            w->close();
        });
    runDirections(script);

    QCOMPARE(script.seen(), (QStringList{"DirectionsDlg: Directions", "CurrDirectionsDlg: Fontvieille, Monaco"}));
    QCOMPARE(sheetTitle, QString("Fontvieille, Monaco"));
    QVERIFY(steps > 2);
    QVERIFY(!comboShown);
    QVERIFY(copyright.contains("Map data"));
    // The typed start, quotes and all, reaches the page as text.
    QCOMPARE(snippets("var request"),
             QStringList{"var request = {travelMode: google.maps.DirectionsTravelMode.DRIVING,origin: "
                         "\"\\\"La Condamine\\\"\",destination: \"Fontvieille, Monaco\"};directionsService.route(request,"
                         "function(result, status) {if (status == google.maps.DirectionsStatus.OK) "
                         "{directionsDisplay.setMap(map);directionsDisplay.setDirections(result);"
                         "directionsDisplay.setRouteIndex(0);}});"});
    QCOMPARE(snippets("directionsDisplay.setRouteIndex"), QStringList{"directionsDisplay.setRouteIndex(0);"});
    QVERIFY(routeShown());
    const QJsonObject state = routeState();
    // La Condamine lies north of Fontvieille, both in the imported Monaco extract.
    const double startLat = state["start"].toObject()["lat"].toDouble();
    const double endLat = state["end"].toObject()["lat"].toDouble();
    QVERIFY(startLat > endLat && endLat > 43.72 && startLat < 43.75);

    // While a route is shown the entry opens the sheet, not the form.
    ModalScript again;
    again.then(closeWindow());
    runDirections(again);
    QCOMPARE(again.seen(), QStringList{"CurrDirectionsDlg: Fontvieille, Monaco"});
}

void TestDirectionsFlow::severalCandidatesOpenTheChooser()
{
    startWindow();
    QString searchText;
    ModalScript script;
    script.then(request("La Condamine", "Fontvieille"))
        .then([&](QWidget *w) {
            searchText = child<QLineEdit>(w, "lineEdit")->text();
            chooseInChooser("Fontvieille, Monaco")(w);
        })
        .then([&](QWidget *w) {
            QTest::qWaitFor([&] { return routeShown(); }, 10000);
            w->close();
        });
    runDirections(script);
    QCOMPARE(script.seen(), (QStringList{"DirectionsDlg: Directions", "FindDlg: Destination Address",
                                         "CurrDirectionsDlg: Fontvieille, Monaco"}));
    QCOMPARE(searchText, QString("Fontvieille"));
    QVERIFY(routeShown());
}

void TestDirectionsFlow::leavingTheChooserDoesNothing()
{
    startWindow();
    ModalScript script;
    script.then(request("La Condamine", "Fontvieille")).then(closeWindow());
    runDirections(script);
    QCOMPARE(script.seen(), (QStringList{"DirectionsDlg: Directions", "FindDlg: Destination Address"}));
    QVERIFY(!m_log->lines().contains("Directions Requested"));
    QVERIFY(snippets("var request").isEmpty());

    // No route: the entry opens the form again, with the typed destination.
    QString destination;
    ModalScript again;
    again.then([&](QWidget *w) {
        destination = child<QLineEdit>(w, "destinationEdit")->text();
        w->close();
    });
    runDirections(again);
    QCOMPARE(again.seen(), QStringList{"DirectionsDlg: Directions"});
    QCOMPARE(destination, QString());   // the destination was never resolved
}

void TestDirectionsFlow::routeFailureWarnsAndMakesNoSheet()
{
    startWindow();
    QString text;
    ModalScript script;
    script.then(request("Lyon", "New York City")).then([&](QWidget *w) {
        text = qobject_cast<QMessageBox *>(w) ? qobject_cast<QMessageBox *>(w)->text() : QString();
        w->close();
    });
    runDirections(script);
    QCOMPARE(script.seen(), (QStringList{"DirectionsDlg: Directions", "QMessageBox: Directions"}));
    QCOMPARE(text, QString("No results found. No route: outside the imported map data."));
    QVERIFY(snippets("var request").isEmpty());
    QVERIFY(!snippets("if ( polyLine ) polyLine.setMap(null); polyLine=null;").isEmpty());

    // An unknown destination fails at the lookup, with the lookup's own title.
    ModalScript unknown;
    unknown.then(request("Lyon", "Qqzzxx Nowhere")).then([&](QWidget *w) {
        text = qobject_cast<QMessageBox *>(w) ? qobject_cast<QMessageBox *>(w)->text() : QString();
        w->close();
    });
    runDirections(unknown);
    QCOMPARE(unknown.seen().value(1), QString("QMessageBox: Directions - Destination"));
    QCOMPARE(text, QString("No results found."));

    // An empty destination is not looked up at all.
    const int lookups = m_log->lines().filter("/maps/api/geocode/xml").size();
    ModalScript empty;
    empty.then(request("Lyon", "  ")).then([&](QWidget *w) {
        text = qobject_cast<QMessageBox *>(w) ? qobject_cast<QMessageBox *>(w)->text() : QString();
        w->close();
    });
    runDirections(empty);
    QCOMPARE(empty.seen().value(1), QString("QMessageBox: Directions - Destination"));
    QCOMPARE(text, QString("Type a place to search for."));
    QCOMPARE(m_log->lines().filter("/maps/api/geocode/xml").size(), lookups);
}

void TestDirectionsFlow::alternativeChosenOnSheetIsKept()
{
    startWindow();
    int routes = 0;
    ModalScript script;
    script.then(request("La Condamine", "Fontvieille, Monaco", true)).then([&](QWidget *w) {
        auto *combo = child<QComboBox>(w, "routesCombo");
        routes = combo->count();
        QTest::qWaitFor([&] { return routeShown(); }, 10000);
        combo->setCurrentIndex(1);
        w->close();
    });
    runDirections(script);
    QVERIFY(routes >= 2);
    QCOMPARE(snippets("directionsDisplay.setRouteIndex"), QStringList{"directionsDisplay.setRouteIndex(1);"});
    QCOMPARE(routeState()["routeIndex"].toInt(), 1);
    QVERIFY(snippets("var request").first().contains("provideRouteAlternatives: true,"));

    int shownIndex = -1;
    ModalScript again;
    again.then([&](QWidget *w) {
        shownIndex = child<QComboBox>(w, "routesCombo")->currentIndex();
        w->close();
    });
    runDirections(again);
    QCOMPARE(shownIndex, 1);
}

void TestDirectionsFlow::sheetButtonsClearRecalculateAndNew()
{
    startWindow();
    // Route, then Recalculate: the same destination is looked up again.
    bool goneBeforeForm = false;
    ModalScript script;
    script.then(request("La Condamine", "Fontvieille, Monaco"))
        .then([&](QWidget *w) {
            QTest::qWaitFor([&] { return routeShown(); }, 10000);
            click("recalculateBtt")(w);
        })
        .then([&](QWidget *w) {
            QTest::qWaitFor([&] { return routeShown(); }, 10000);
            click("newBtt")(w);
        })
        .then([&](QWidget *w) {
            // "New": the route and its sheet are gone before the form opens.
            goneBeforeForm = !routeShown() && m_window->findChildren<CurrDirectionsDlg *>().isEmpty();
            w->close();
        });
    runDirections(script);
    QCOMPARE(script.seen(), (QStringList{"DirectionsDlg: Directions", "CurrDirectionsDlg: Fontvieille, Monaco",
                                         "CurrDirectionsDlg: Fontvieille, Monaco", "DirectionsDlg: Directions"}));
    QCOMPARE(m_log->lines().count("Directions Requested"), 2);
    QCOMPARE(m_log->lines().filter("/maps/api/geocode/xml").size(), 2);
    QVERIFY(m_log->lines().filter("/maps/api/geocode/xml").last().contains("address=Fontvieille%2C%20Monaco"));
    QVERIFY(goneBeforeForm);
    QVERIFY(!routeShown());

    // Leaving the form after "New" leaves no route: the entry opens the form.
    ModalScript afterNew;
    afterNew.then(request("La Condamine", "Fontvieille, Monaco")).then([&](QWidget *w) {
        QTest::qWaitFor([&] { return routeShown(); }, 10000);
        click("clearBtt")(w);
    });
    runDirections(afterNew);
    QCOMPARE(afterNew.seen(), (QStringList{"DirectionsDlg: Directions", "CurrDirectionsDlg: Fontvieille, Monaco"}));
    QTRY_VERIFY(!routeShown());
    QCOMPARE(snippets("directionsDisplay.setMap(null);").size(), 3);

    ModalScript afterClear;
    afterClear.then(closeWindow());
    runDirections(afterClear);
    QCOMPARE(afterClear.seen(), QStringList{"DirectionsDlg: Directions"});
}

// The new answer has as many alternatives: the sheet and the map show the one
// chosen before, and the sheet lists every alternative's figures.
void TestDirectionsFlow::recalculateKeepsTheChosenAlternative()
{
    startWindow();
    int routes = 0;
    int reopenedOn = -1;
    int drawn = -1;
    QStringList trips;
    ModalScript script;
    script.then(request("La Condamine", "Fontvieille, Monaco", true))
        .then([&](QWidget *w) {
            auto *combo = child<QComboBox>(w, "routesCombo");
            if (!combo) {
                w->close();
                return;
            }
            routes = combo->count();
            // The page draws its first answer before the route is asked again.
            QTest::qWaitFor([&] { return routeShown(); }, 10000);
            combo->setCurrentIndex(1);
            click("recalculateBtt")(w);
        })
        .then([&](QWidget *w) {
            reopenedOn = child<QComboBox>(w, "routesCombo")->currentIndex();
            trips = QTextDocumentFragment::fromHtml(child<QLabel>(w, "tripLbl")->text())
                        .toPlainText().split('\n');
            QTest::qWaitFor([&] { return routeShown(); }, 10000);
            drawn = routeState()["routeIndex"].toInt();
            w->close();
        });
    runDirections(script);
    QVERIFY(routes >= 2);
    QCOMPARE(reopenedOn, 1);
    QCOMPARE(drawn, 1);
    QVERIFY(!trips.isEmpty() && trips.takeFirst().startsWith("Driving from "));
    QCOMPARE(trips.size(), routes);
    const QRegularExpression line("^\\d\\. via .+, [\\d.]+ k?m, \\d+ (h|min)");
    for (const QString &trip : qAsConst(trips))
        QVERIFY2(line.match(trip).hasMatch(), qPrintable(trip));
}

void TestDirectionsFlow::ownPositionIsTheStartAndTheTrackIsDrawn()
{
    QSettings().setValue("UpdateMode", 1);
    qputenv("MARLU_NMEA_FILE", QByteArray(MARLU_SOURCE_DIR) + "/data/tracks/monaco-drive.nmea");
    startWindow();
    QTRY_VERIFY_WITH_TIMEOUT(!snippets("updateCenter(").isEmpty(), 10000);
    QVERIFY(snippets("track(").isEmpty());

    bool startHidden = false;
    QString start;
    int tracksWhileOpen = 0;
    ModalScript script;
    script
        .then([&](QWidget *w) {
            startHidden = !child<QLineEdit>(w, "startEdit")->isVisibleTo(w)
                          && !child<QLabel>(w, "startLbl")->isVisibleTo(w);
            start = child<QLineEdit>(w, "startEdit")->text();
            request(QString(), "Fontvieille, Monaco")(w);
        })
        .then([&](QWidget *w) {
            if (qobject_cast<FindDlg *>(w)) {   // several candidates: take the one asked for
                chooseInChooser("Fontvieille, Monaco")(w);
                return;
            }
            const int before = snippets("track(").size();
            QTest::qWaitFor([&] { return snippets("track(").size() >= before + 2; }, 5000);
            tracksWhileOpen = snippets("track(").size() - before;
            click("clearBtt")(w);
        });
    script.then([&](QWidget *w) {   // the sheet, when the chooser came first
        const int before = snippets("track(").size();
        QTest::qWaitFor([&] { return snippets("track(").size() >= before + 2; }, 5000);
        tracksWhileOpen = snippets("track(").size() - before;
        click("clearBtt")(w);
    });
    MapWindowTest::menuEntry(m_window, "Directions")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(tracksWhileOpen > 0 && !QApplication::activeModalWidget(), 30000);

    QVERIFY(startHidden);
    QVERIFY(QRegularExpression("^-?\\d+(\\.\\d+)? -?\\d+(\\.\\d+)?$").match(start).hasMatch());
    // The start sent is the own position when the request went: on a busy
    // machine a fix newer than the one the dialog showed, but a fix all the same.
    const QRegularExpressionMatch origin = QRegularExpression("origin=([^&\\s\"]*)")
        .match(m_log->lines().filter("/maps/api/directions/xml").first());
    QVERIFY(origin.hasMatch());
    const QStringList sent = QUrl::fromPercentEncoding(origin.captured(1).toUtf8()).split(' ');
    QCOMPARE(sent.size(), 2);
    QVERIFY(!snippets("updateCenter(").filter(", " + sent[0] + ", " + sent[1] + ", ").isEmpty());
    QVERIFY(tracksWhileOpen >= 2);

    // Cleared: fixes go on, the track does not, and the new route ended follow mode.
    m_log->clear();
    QTRY_VERIFY_WITH_TIMEOUT(snippets("updateCenter(").size() >= 2, 5000);
    QVERIFY(snippets("track(").isEmpty());
    QVERIFY(snippets("updateCenter(true").isEmpty());
}

void TestDirectionsFlow::noFixYetAsksForTheStart()
{
    QTemporaryDir dir;
    QFile silent(dir.filePath("nofix.nmea"));   // a receiver that has no fix yet
    QVERIFY(silent.open(QIODevice::WriteOnly));
    silent.close();
    qputenv("MARLU_NMEA_FILE", silent.fileName().toLocal8Bit());
    QSettings().setValue("UpdateMode", 1);
    startWindow();

    QString note;
    bool startShown = false;
    ModalScript script;
    script
        .then([&](QWidget *w) {
            note = qobject_cast<QMessageBox *>(w) ? qobject_cast<QMessageBox *>(w)->text() : QString();
            w->close();
        })
        .then([&](QWidget *w) {
            startShown = child<QLineEdit>(w, "startEdit")->isVisibleTo(w);
            request("Monte-Carlo", "Fontvieille, Monaco")(w);
        })
        .then(closeWindow());
    runDirections(script);
    QCOMPARE(note, QString("Your own position is not known yet: type a start address."));
    QVERIFY(startShown);
    QCOMPARE(script.seen().value(2), QString("CurrDirectionsDlg: Fontvieille, Monaco"));
    QVERIFY(m_log->lines().filter("/maps/api/directions/xml").first().contains("origin=Monte-Carlo&"));
}

void TestDirectionsFlow::newAnswerClosesAnOpenSheet()
{
    startWindow();
    QPointer<QWidget> firstSheet;
    bool firstHiddenWhileSecondOpen = false;
    bool firstAliveWhileSecondOpen = false;
    ModalScript script;
    script.then(request("La Condamine", "Fontvieille, Monaco"))
        .then([&](QWidget *w) {
            // A second answer arrives while this sheet's loop runs.
            firstSheet = w;
            QMetaObject::invokeMethod(m_window, "onFindDestinationAddress", Q_ARG(bool, true),
                                      Q_ARG(QString, QString()));
            QTest::qWaitFor([&] { return !firstSheet || !firstSheet->isVisible(); }, 10000);
        })
        .then([&](QWidget *w) {
            firstAliveWhileSecondOpen = !firstSheet.isNull();
            firstHiddenWhileSecondOpen = firstSheet && !firstSheet->isVisible();
            QTest::qWaitFor([&] { return routeShown(); }, 10000);
            w->close();
        });
    runDirections(script);
    QCOMPARE(script.seen(), (QStringList{"DirectionsDlg: Directions", "CurrDirectionsDlg: Fontvieille, Monaco",
                                         "CurrDirectionsDlg: Fontvieille, Monaco"}));
    QVERIFY(firstAliveWhileSecondOpen);
    QVERIFY(firstHiddenWhileSecondOpen);
    QTRY_VERIFY(firstSheet.isNull());   // deleted once its own loop had ended
    QCOMPARE(m_window->findChildren<CurrDirectionsDlg *>().size(), 1);
    // Only the sheet still in charge set the route index.
    QCOMPARE(snippets("directionsDisplay.setRouteIndex"), QStringList{"directionsDisplay.setRouteIndex(0);"});

    ModalScript again;
    again.then(click("clearBtt"));
    runDirections(again);
    QCOMPARE(again.seen(), QStringList{"CurrDirectionsDlg: Fontvieille, Monaco"});
    QTRY_COMPARE(m_window->findChildren<CurrDirectionsDlg *>().size(), 0);
}

void TestDirectionsFlow::okWithoutRoutesGivesAnEmptySheet()
{
    CannedHttpServer directions;
    QVERIFY(directions.isListening());
    directions.setBody("<?xml version=\"1.0\"?><DirectionsResponse><status>OK</status></DirectionsResponse>");
    QSettings().setValue("Servers/DirectionsHost", directions.hostPort());
    startWindow();

    bool comboHidden = false;
    int items = -1;
    QString copyright;
    ModalScript script;
    script.then(request("La Condamine", "Fontvieille, Monaco")).then([&](QWidget *w) {
        comboHidden = !child<QComboBox>(w, "routesCombo")->isVisibleTo(w);
        items = child<QListWidget>(w, "directionsList")->count();
        copyright = child<QLabel>(w, "copyrightLbl")->text();
        w->close();
    });
    runDirections(script);
    QCOMPARE(script.seen().value(1), QString("CurrDirectionsDlg: Fontvieille, Monaco"));
    QVERIFY(comboHidden);
    QCOMPARE(items, 0);
    QCOMPARE(copyright, QString("Copyright..."));
    QCOMPARE(snippets("directionsDisplay.setRouteIndex"), QStringList{"directionsDisplay.setRouteIndex(-1);"});
    QCOMPARE(directions.targets().size(), 1);
}

void TestDirectionsFlow::unreadableRouteReplyWarns()
{
    CannedHttpServer directions;
    QVERIFY(directions.isListening());
    directions.setBody("<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY e \"x\">]><DirectionsResponse>"
                       "<status>OK</status></DirectionsResponse>");
    QSettings().setValue("Servers/DirectionsHost", directions.hostPort());
    startWindow();

    QString text;
    Qt::TextFormat format = Qt::AutoText;
    ModalScript script;
    script.then(request("La Condamine", "Fontvieille, Monaco")).then([&](QWidget *w) {
        text = qobject_cast<QMessageBox *>(w) ? qobject_cast<QMessageBox *>(w)->text() : QString();
        format = qobject_cast<QMessageBox *>(w) ? qobject_cast<QMessageBox *>(w)->textFormat() : format;
        w->close();
    });
    runDirections(script);   // also checks that the progress indicator went off
    QCOMPARE(script.seen().value(1), QString("QMessageBox: Directions"));
    QCOMPARE(text, QString("The service's reply could not be read."));
    QCOMPARE(format, Qt::PlainText);
    QVERIFY(m_window->findChildren<CurrDirectionsDlg *>().isEmpty());
    QVERIFY(snippets("var request").isEmpty());
}

void TestDirectionsFlow::runningLookupTellsTheViewAndEscapeCancelsIt()
{
    CannedHttpServer geocoding;
    geocoding.setMode(CannedHttpServer::Silent);
    QSettings().setValue("Servers/GeocodingHost", geocoding.hostPort());
    startWindow();
    ModalScript script;
    script.then(request("La Condamine", "Fontvieille, Monaco"));
    MapWindowTest::menuEntry(m_window, "Directions")->trigger();
    QTRY_COMPARE(geocoding.targets().size(), 1);
    // The page's bounds as south,west,north,east around its centre.
    const QRegularExpression view("^([-0-9.]+),([-0-9.]+),([-0-9.]+),([-0-9.]+)$");
    const QByteArray sent = geocoding.requests().value(0).headers.value("x-marlu-view");
    const QRegularExpressionMatch match = view.match(QString::fromLatin1(sent));
    QVERIFY2(match.hasMatch(), sent.constData());
    const QVariant centre = m_window->findChild<QWebView *>()->page()->mainFrame()->evaluateJavaScript(
        "map.getCenter().lat() + ',' + map.getCenter().lng()");
    const QStringList latLng = centre.toString().split(',');
    QVERIFY(match.captured(1).toDouble() < latLng.value(0).toDouble());
    QVERIFY(latLng.value(0).toDouble() < match.captured(3).toDouble());
    QVERIFY(match.captured(2).toDouble() < latLng.value(1).toDouble());
    QVERIFY(latLng.value(1).toDouble() < match.captured(4).toDouble());

    QVERIFY(Maemo5Attributes::testAttribute(m_window, Maemo5Attributes::ShowProgressIndicator));
    // Where a user's key goes: the focused map, which leaves Escape to the window.
    QTest::keyClick(m_window->focusWidget() ? m_window->focusWidget() : m_window, Qt::Key_Escape);
    QVERIFY(!Maemo5Attributes::testAttribute(m_window, Maemo5Attributes::ShowProgressIndicator));
}

MARLU_TEST_MAIN(TestDirectionsFlow)
#include "tst_directionsflow.moc"
