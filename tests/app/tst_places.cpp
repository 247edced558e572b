#include "logcapture.h"
#include "mapwindowtest.h"
#include "modalscript.h"
#include "testmain.h"

#include "app/mainwindow.h"
#include "directions/directionsdlg.h"
#include "places/favouritestore.h"
#include "places/placesdlg.h"
#include "places/saveplacedlg.h"

#include <QAction>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QCompleter>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebFrame>
#include <QWebView>

// Saved places, geo: links and GPX files in the window on the real page,
// with the real service finding the routes.
class TestPlaces : public MapWindowTest::Suite
{
    Q_OBJECT
public:
    TestPlaces() : Suite({"Servers/MapHost", "Servers/GeocodingHost", "Servers/DirectionsHost"}) {}

private slots:
    void placeFromALinkIsSavedKeptAndRoutedTo();
    void gpxFilesShowOnTheMapAndHostileOnesChangeNothing();
    void pressOnTheMapOffersToSaveThatPoint();

private:
    // The window on a data folder without saved places (the home lasts the run).
    void freshStart()
    {
        QFile::remove(FavouriteStore().path());
        startWindow();
    }
    QJsonObject placesState()
    {
        const QString json = m_window->findChild<QWebView *>("webView")->page()->mainFrame()
            ->evaluateJavaScript("placesState()").toString();
        return QJsonDocument::fromJson(json.toUtf8()).object();
    }
    void runEntry(const QString &entry, ModalScript &script)
    {
        QAction *action = MapWindowTest::menuEntry(m_window, entry);
        QVERIFY2(action, qPrintable(entry));
        action->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(script.done() && !QApplication::activeModalWidget(), 30000);
    }
};

namespace {
QString fixture(const QString &name)
{
    const QString dir = qEnvironmentVariable("MARLU_FIXTURES");
    return (dir.isEmpty() ? QString(MARLU_SOURCE_DIR "/../shared/fixtures") : dir) + "/gpx/" + name;
}
}

void TestPlaces::placeFromALinkIsSavedKeptAndRoutedTo()
{
    freshStart();
    // A link handed over moves the map there, with a mark.
    m_window->openLinks({"geo:43.7393,7.4278?z=16"});
    QJsonObject state = MapWindowTest::pageState(m_window);
    QCOMPARE(state["zoom"].toInt(), 16);
    QVERIFY(qAbs(state["center"].toObject()["lat"].toDouble() - 43.7393) < 1e-4);
    QCOMPARE(state["marks"].toArray().size(), 1);

    ModalScript save;
    save.then([](QWidget *w) {
        auto *dlg = qobject_cast<SavePlaceDlg *>(w);
        QVERIFY(dlg);
        QVERIFY(dlg->findChild<QComboBox *>("whichCombo")->itemText(0).startsWith("The place found"));
        dlg->findChild<QLineEdit *>("nameEdit")->setText("<i>Casino</i>");
        dlg->findChild<QComboBox *>("kindCombo")->setCurrentIndex(0);
        dlg->accept();
    });
    runEntry("Save Place...", save);
    QCOMPARE(placesState()["favourites"].toInt(), 1);
    // Clear Marks takes the search's mark, not the saved place's.
    MapWindowTest::menuEntry(m_window, "Clear Marks")->trigger();
    QCOMPARE(MapWindowTest::pageState(m_window)["marks"].toArray().size(), 0);
    QCOMPARE(placesState()["favourites"].toInt(), 1);

    // Started again, the place is there and the route goes to it.
    delete m_window;
    startWindow();
    QTRY_COMPARE(placesState()["favourites"].toInt(), 1);

    // Find Address knows the name: completed, and answered without the service.
    ModalScript find;
    QStringList completions;
    find.then([&](QWidget *w) {
        auto *edit = w->findChild<QLineEdit *>("lineEdit");
        for (int i = 0; i < edit->completer()->model()->rowCount(); ++i)
            completions << edit->completer()->model()->index(i, 0).data().toString();
        edit->setText("<I>casino</I> ");
        w->findChild<QPushButton *>("pushButton")->click();
        auto *list = w->findChild<QListWidget *>("listWidget");
        QCOMPARE(list->count(), 1);
        QMetaObject::invokeMethod(w, "on_listWidget_doubleClicked", Q_ARG(QModelIndex, list->model()->index(0, 0)));
    });
    runEntry("Find Address", find);
    QVERIFY(completions.contains("<i>Casino</i>"));
    const QJsonArray marks = MapWindowTest::pageState(m_window)["marks"].toArray();
    QCOMPARE(marks.size(), 1);
    QCOMPARE(marks[0].toObject()["text"].toString(), QString("<i>Casino</i>"));
    QVERIFY(qAbs(marks[0].toObject()["lat"].toDouble() - 43.7393) < 1e-6);

    ModalScript route;
    QStringList rows;
    route.then([&](QWidget *w) {
             auto *list = w->findChild<QListWidget *>("placesList");
             for (int i = 0; i < list->count(); ++i)
                 rows << list->item(i)->text().section('\n', 0, 0);
             list->setCurrentRow(2);
             w->findChild<QPushButton *>("routeBtt")->click();
         })
        .then([](QWidget *w) {
            QVERIFY(qobject_cast<DirectionsDlg *>(w));
            QCOMPARE(w->findChild<QLineEdit *>("destinationEdit")->text(), QString("<i>Casino</i>"));
            w->findChild<QLineEdit *>("startEdit")->setText("Fontvieille, Monaco");
            w->findChild<QPushButton *>("okBtt")->click();
        })
        .then([](QWidget *w) { w->close(); });
    runEntry("Places", route);
    // Home and Work head the list, set or not.
    QCOMPARE(rows, (QStringList{"Home", "Work", "<i>Casino</i>"}));
    QCOMPARE(route.seen().value(2), QString("CurrDirectionsDlg: 43.739300,7.427800"));
    const QStringList request = MapWindowTest::snippets(*m_log, "var request");
    QCOMPARE(request.size(), 1);
    QVERIFY2(request[0].contains("destination: \"43.739300,7.427800\""), qPrintable(request[0]));
    QTRY_VERIFY(MapWindowTest::pageState(m_window)["directions"].toObject()["shown"].toBool());
}

void TestPlaces::gpxFilesShowOnTheMapAndHostileOnesChangeNothing()
{
    startWindow();
    m_window->openLinks({fixture("around-visnjan-with-car.gpx"), fixture("route.gpx")});
    // The second file replaces the first on the map, and the view shows it.
    QJsonObject places = placesState();
    QCOMPARE(places["gpxLines"].toInt(), 1);
    const QJsonObject centre = MapWindowTest::pageState(m_window)["center"].toObject();
    QVERIFY(centre["lat"].toDouble() > 40 && centre["lat"].toDouble() < 50);

    QTemporaryDir dir;
    QFile hostile(dir.path() + "/hostile.gpx");
    QVERIFY(hostile.open(QIODevice::WriteOnly));
    hostile.write("<gpx xmlns=\"http://www.topografix.com/GPX/1/1\"><wpt lat=\"1\" lon=\"2\"><name>&lt;img src=x "
                  "onerror=\"document.title='owned'\"&gt;</name></wpt></gpx>");
    hostile.close();
    QFile truncated(dir.path() + "/truncated.gpx");
    QVERIFY(truncated.open(QIODevice::WriteOnly));
    truncated.write("<gpx xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><trkseg><trkpt lat=\"1\"");
    truncated.close();

    ModalScript warning;
    QString text;
    warning.then([&](QWidget *w) {
        text = w->findChild<QLabel *>("qt_msgbox_label")->text();
        w->close();
    });
    QTimer::singleShot(0, m_window, [&] { m_window->openLinks({truncated.fileName()}); });
    QTRY_VERIFY_WITH_TIMEOUT(warning.done() && !QApplication::activeModalWidget(), 10000);
    QVERIFY2(text.startsWith("The GPX file cannot be shown"), qPrintable(text));
    QCOMPARE(placesState()["gpxLines"].toInt(), 1);

    // Markup in a name is shown as the text it is.
    m_window->openLinks({hostile.fileName()});
    QCOMPARE(placesState()["gpxPoints"].toInt(), 1);
    QWebFrame *frame = m_window->findChild<QWebView *>("webView")->page()->mainFrame();
    QCOMPARE(frame->evaluateJavaScript("document.querySelectorAll('.marlu-mark-label img').length").toInt(), 0);
    QVERIFY(frame->evaluateJavaScript("document.body.textContent").toString().contains("<img src=x onerror="));
    QVERIFY(frame->evaluateJavaScript("document.title").toString() != "owned");
}

void TestPlaces::pressOnTheMapOffersToSaveThatPoint()
{
    freshStart();
    m_window->openLinks({"geo:43.7311,7.4197?z=15"});
    auto *view = m_window->findChild<QWebView *>("webView");
    // What takes the map's mouse events: the window's overlay above the view.
    QWidget *overlay = m_window->childAt(view->geometry().center());
    QVERIFY(overlay && overlay != view);
    const QPoint middle = overlay->mapFrom(m_window, view->geometry().center());

    Favourite saved;
    QTimer menuAnswer;
    connect(&menuAnswer, &QTimer::timeout, this, [&] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            menuAnswer.stop();
            menu->setActiveAction(menu->actions().first());
            QTest::keyClick(menu, Qt::Key_Return);
        }
    });
    menuAnswer.start(20);
    ModalScript save;
    save.then([&](QWidget *w) {
        auto *dlg = qobject_cast<SavePlaceDlg *>(w);
        QVERIFY(dlg);
        QCOMPARE(dlg->findChild<QComboBox *>("whichCombo")->currentText(), QString("The point pressed on the map"));
        dlg->findChild<QComboBox *>("kindCombo")->setCurrentIndex(2);
        saved = dlg->place();
        dlg->accept();
    });
    QTimer::singleShot(0, this, [&] {
        QContextMenuEvent press(QContextMenuEvent::Mouse, middle, overlay->mapToGlobal(middle));
        QApplication::sendEvent(overlay, &press);
    });
    QTRY_VERIFY_WITH_TIMEOUT(save.done() && !QApplication::activeModalWidget(), 10000);
    // The middle of the view is where the map was centred, near enough.
    QCOMPARE(saved.kind, Favourite::Work);
    QCOMPARE(saved.name, QString("Work"));
    QVERIFY2(qAbs(saved.latitude - 43.7311) < 1e-3 && qAbs(saved.longitude - 7.4197) < 1e-3,
             qPrintable(saved.coordinates()));
    QCOMPARE(placesState()["favourites"].toInt(), 1);
}

MARLU_TEST_MAIN(TestPlaces)
#include "tst_places.moc"
