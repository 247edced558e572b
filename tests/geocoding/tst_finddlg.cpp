#include "cannedhttpserver.h"
#include "logcapture.h"
#include "mapwindowtest.h"
#include "modalanswerer.h"
#include "modalscript.h"
#include "pageserver.h"
#include "replyfixtures.h"
#include "testmain.h"

#include "app/mainwindow.h"
#include "geocoding/finddlg.h"
#include "geocoding/recentsearches.h"

#include <QApplication>
#include <QCompleter>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QNetworkAccessManager>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QWebFrame>
#include <QWebView>

#include <functional>

struct Place {
    QString address;
    double lat;
    double lng;
};

static QByteArray candidates(const QList<Place> &places)
{
    QByteArray xml = "<status>OK</status>";
    for (const Place &p : places)
        xml += "<result><type>locality</type><formatted_address>" + p.address.toHtmlEscaped().toUtf8()
               + "</formatted_address><geometry><location><lat>" + QByteArray::number(p.lat, 'g', 12)
               + "</lat><lng>" + QByteArray::number(p.lng, 'g', 12)
               + "</lng></location><location_type>APPROXIMATE</location_type></geometry></result>";
    return geocodeReply(xml);
}

static QStringList rows(FindDlg &dlg)
{
    QStringList out;
    auto *list = dlg.findChild<QListWidget *>("listWidget");
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// Presses Search and waits for the one candidate of the canned reply.
static void searchForOneRow(FindDlg *dlg)
{
    QTest::mouseClick(dlg->findChild<QPushButton *>("pushButton"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(rows(*dlg).size(), 1, 5000);
}

static void doubleClickRow(FindDlg &dlg, int row)
{
    auto *list = dlg.findChild<QListWidget *>("listWidget");
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

// A key where the keyboard sends it: the open completion list, else the focus.
static void press(Qt::Key key)
{
    QWidget *popup = QApplication::activePopupWidget();
    QTest::keyClick(popup ? popup : QApplication::focusWidget(), key);
}

// The find dialog driven through its widgets, and the mark it leaves on the real page.
class TestFindDlg : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void opensWithSampleAndEmptyList();
    void searchListsRowsInReplyOrder();
    void equalAddressesPickTheirOwnRecord();
    void rowsSayWhatTheyAreAndAStreetComesOnce();
    void failureShowsWarningAndKeepsListEmpty();
    void chooserOpensOnEarlierResults();
    void languageChangeRestoresTexts();
    void arrowsMoveInTheListAndReturnChooses();
    void typingReplacesTextAndEarlierSearchesAreOffered();
    void emptySearchIsNotSent();
    void chosenPlaceIsMarkedOnThePage_data();
    void chosenPlaceIsMarkedOnThePage();
    void leavingWithoutChoiceMarksNothing();

private:
    void runFind(MainWindow *w, std::function<void(FindDlg *)> drive);

    QNetworkAccessManager m_network;
    CannedHttpServer m_geocoder;
    PageServer m_page;
};

void TestFindDlg::initTestCase()
{
    QVERIFY(m_page.start());
    QSettings().setValue("Servers/MapHost", m_page.hostPort());
    QSettings().setValue("Servers/GeocodingHost", m_geocoder.hostPort());
}

void TestFindDlg::opensWithSampleAndEmptyList()
{
    FindDlg dlg(&m_network, nullptr);
    QCOMPARE(dlg.windowTitle(), QString("Find Address"));
    QCOMPARE(dlg.size(), QSize(348, 189));
    QCOMPARE(dlg.findChild<QLineEdit *>("lineEdit")->text(), QString("Maple Hollows"));
    QCOMPARE(dlg.findChild<QPushButton *>("pushButton")->text(), QString("Search"));
    QVERIFY(rows(dlg).isEmpty());
    const QMetaObject *mo = dlg.metaObject();
    QStringList methods;
    for (int i = mo->methodOffset(); i < mo->methodCount(); ++i)
        methods << mo->method(i).methodSignature();
    QCOMPARE(methods, (QStringList{"on_listWidget_doubleClicked(QModelIndex)",
                                 "on_listWidget_clicked(QModelIndex)", "on_pushButton_clicked()",
                                 "onFinish(bool,QString)"}));
}

void TestFindDlg::searchListsRowsInReplyOrder()
{
    m_geocoder.setBody(candidates({{"Paris, France", 48.85, 2.35}, {"Paris, TX, USA", 33.66, -95.55}}));
    m_geocoder.setDelayMs(100);
    FindDlg dlg(&m_network, nullptr);
    dlg.show();
    auto *button = dlg.findChild<QPushButton *>("pushButton");
    dlg.findChild<QLineEdit *>("lineEdit")->setText("Paris");
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(!button->isEnabled());
    QVERIFY(rows(dlg).isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(button->isEnabled(), 5000);
    QCOMPARE(rows(dlg), (QStringList{"Paris, France", "Paris, TX, USA"}));
    QVERIFY(m_geocoder.targets().last().endsWith("address=Paris"));
    m_geocoder.setDelayMs(0);
}

void TestFindDlg::equalAddressesPickTheirOwnRecord()
{
    m_geocoder.setBody(candidates({{"Springfield", 39.8, -89.6}, {"Springfield", 37.2, -93.3}}));
    FindDlg dlg(&m_network, nullptr);
    dlg.show();
    QTest::mouseClick(dlg.findChild<QPushButton *>("pushButton"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(rows(dlg).size(), 2, 5000);
    QSignalSpy accepted(&dlg, &QDialog::accepted);
    doubleClickRow(dlg, 1);
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.m_selectedAddress.latitude(), 37.2);
    QCOMPARE(dlg.m_selectedAddress.longitude(), -93.3);
    QCOMPARE(dlg.m_selectedAddress.m_types, QStringList{"locality"});
    QCOMPARE(dlg.m_selectedAddress.m_locationType, QString("APPROXIMATE"));
}

// What a pharmacy or a quarter is shows on its row; one street drawn as two
// ways is one row (each row still picks its own record).
void TestFindDlg::rowsSayWhatTheyAreAndAStreetComesOnce()
{
    auto result = [](const QByteArray &types, const QByteArray &address, double lat) {
        QByteArray xml = "<result>";
        for (const QByteArray &type : types.split(' '))
            xml += "<type>" + type + "</type>";
        return xml + "<formatted_address>" + address + "</formatted_address><geometry><location><lat>"
               + QByteArray::number(lat) + "</lat><lng>7.42</lng></location>"
               "<location_type>ROOFTOP</location_type></geometry></result>";
    };
    m_geocoder.setBody(geocodeReply(
        "<status>OK</status>"
        + result("pharmacy point_of_interest establishment", "Bughin, Rue Grimaldi, Monaco", 43.731)
        + result("neighborhood political", "Casino, 98000 Monaco", 43.739)
        + result("route", "Avenue Princesse Grace, 98000 Monaco", 43.745)
        + result("route", "Avenue Princesse Grace, 98000 Monaco", 43.748)
        + result("street_address", "5 Avenue Princesse Grace, 98000 Monaco", 43.746)
        + result("car_wash point_of_interest", "Lavage, Monaco", 43.735)));
    FindDlg dlg(&m_network, nullptr);
    dlg.show();
    QTest::mouseClick(dlg.findChild<QPushButton *>("pushButton"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(rows(dlg).size(), 5, 5000);
    QCOMPARE(rows(dlg), (QStringList{QString::fromUtf8("Pharmacy · Bughin, Rue Grimaldi, Monaco"),
                                     QString::fromUtf8("District · Casino, 98000 Monaco"),
                                     "Avenue Princesse Grace, 98000 Monaco",
                                     "5 Avenue Princesse Grace, 98000 Monaco",
                                     QString::fromUtf8("Car wash · Lavage, Monaco")}));
    doubleClickRow(dlg, 3);
    QCOMPARE(dlg.m_selectedAddress.description(), QString("5 Avenue Princesse Grace, 98000 Monaco"));
    QCOMPARE(dlg.m_selectedAddress.latitude(), 43.746);
}

void TestFindDlg::failureShowsWarningAndKeepsListEmpty()
{
    m_geocoder.setBody("<GeocodeResponse><status>ZERO_RESULTS</status></GeocodeResponse>");
    ModalAnswerer answerer(QMessageBox::Ok);
    FindDlg dlg(&m_network, nullptr);
    dlg.show();
    auto *button = dlg.findChild<QPushButton *>("pushButton");
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(answerer.answered(), 1, 5000);
    QCOMPARE(answerer.lastTitle(), QString("Find Address"));
    QCOMPARE(answerer.lastText(), QString("No results found."));
    QCOMPARE(answerer.lastTextFormat(), Qt::PlainText);
    QVERIFY(button->isEnabled());
    QVERIFY(rows(dlg).isEmpty());
}

void TestFindDlg::chooserOpensOnEarlierResults()
{
    m_geocoder.setBody(candidates({{"Lyon, France", 45.76, 4.83}, {"Lyon, MS, USA", 34.21, -90.54}}));
    GeocodeRequester earlier(&m_network, nullptr);
    QSignalSpy done(&earlier, &GeocodeRequester::finish);
    earlier.query("Lyon");
    QVERIFY(done.wait(5000));

    FindDlg dlg(earlier, "Lyon", nullptr);
    QCOMPARE(rows(dlg), (QStringList{"Lyon, France", "Lyon, MS, USA"}));
    QCOMPARE(dlg.findChild<QLineEdit *>("lineEdit")->text(), QString("Lyon"));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    QCOMPARE(dlg.m_selectedAddress.description(), QString("Lyon, France"));

    // A search from the chooser uses the dialog's own requester.
    m_geocoder.setBody(candidates({{"Elsewhere", 1, 2}}));
    FindDlg again(earlier, "Lyon", nullptr);
    again.show();
    QVERIFY(QTest::qWaitForWindowActive(&again));
    QTest::mouseClick(again.findChild<QPushButton *>("pushButton"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(rows(again), QStringList{"Elsewhere"}, 5000);
    auto *list = again.findChild<QListWidget *>("listWidget");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QTest::mouseClick(again.findChild<QLineEdit *>("lineEdit"), Qt::LeftButton);
    const int sent = m_geocoder.targets().size();
    press(Qt::Key_Return);   // the selected row, not a new search
    QCOMPARE(again.m_selectedAddress.description(), QString("Elsewhere"));
    QCOMPARE(m_geocoder.targets().size(), sent);
    QCOMPARE(earlier.m_results.size(), 2);
    QCOMPARE(done.count(), 1);

    GeocodeRequester empty(&m_network, nullptr);
    FindDlg none(empty, "nothing yet", nullptr);
    QVERIFY(rows(none).isEmpty());
    QCOMPARE(none.findChild<QLineEdit *>("lineEdit")->text(), QString("nothing yet"));
}

void TestFindDlg::arrowsMoveInTheListAndReturnChooses()
{
    m_geocoder.setBody(candidates({{"Paris, France", 48.85, 2.35}, {"Paris, TX, USA", 33.66, -95.55}}));
    FindDlg dlg(&m_network, nullptr);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QTest::mouseClick(dlg.findChild<QPushButton *>("pushButton"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(rows(dlg).size(), 2, 5000);
    const int requests = m_geocoder.targets().size();

    auto *edit = dlg.findChild<QLineEdit *>("lineEdit");
    edit->setFocus();
    press(Qt::Key_Down);
    QCOMPARE(dlg.findChild<QListWidget *>("listWidget")->currentRow(), 0);
    press(Qt::Key_Down);
    QCOMPARE(dlg.findChild<QListWidget *>("listWidget")->currentRow(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.m_selectedAddress.description(), QString("Paris, TX, USA"));
    QCOMPARE(m_geocoder.targets().size(), requests);   // not searched again
}

void TestFindDlg::typingReplacesTextAndEarlierSearchesAreOffered()
{
    QSettings().setValue("RecentSearches", QVariantList{42, "  Lyon ", "lyon", "", "Toledo, OH"});
    m_geocoder.setBody(candidates({{"Elsewhere", 1, 2}}));
    FindDlg dlg(&m_network, nullptr);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    auto *edit = dlg.findChild<QLineEdit *>("lineEdit");
    QTest::keyClicks(QApplication::focusWidget(), "Toledo");
    QCOMPARE(edit->text(), QString("Toledo"));
    QTRY_VERIFY(QApplication::activePopupWidget());   // earlier searches offered
    press(Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(rows(dlg).size(), 1, 5000);
    QVERIFY(m_geocoder.targets().last().endsWith("address=Toledo"));

    FindDlg next(&m_network, nullptr);
    const auto *completions = next.findChild<QLineEdit *>("lineEdit")->completer()->model();
    QStringList offered;
    for (int i = 0; i < completions->rowCount(); ++i)
        offered << completions->index(i, 0).data().toString();
    QCOMPARE(offered, (QStringList{"Toledo", "42", "Lyon", "Toledo, OH"}));

    for (int i = 0; i < 12; ++i)
        RecentSearches::add(QString("place %1").arg(i));
    QCOMPARE(RecentSearches::load().size(), 10);
    QCOMPARE(RecentSearches::load().first(), QString("place 11"));
}

void TestFindDlg::emptySearchIsNotSent()
{
    ModalAnswerer answerer(QMessageBox::Ok);
    FindDlg dlg(&m_network, nullptr);
    dlg.show();
    dlg.findChild<QLineEdit *>("lineEdit")->setText("   ");
    const int requests = m_geocoder.targets().size();
    QTest::mouseClick(dlg.findChild<QPushButton *>("pushButton"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(answerer.answered(), 1, 5000);
    QCOMPARE(answerer.lastText(), QString("Type a place to search for."));
    QCOMPARE(m_geocoder.targets().size(), requests);
    QVERIFY(dlg.findChild<QPushButton *>("pushButton")->isEnabled());
}

void TestFindDlg::languageChangeRestoresTexts()
{
    FindDlg dlg(&m_network, nullptr);
    dlg.setWindowTitle("x");
    dlg.findChild<QLineEdit *>("lineEdit")->setText("typed by the user");
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(&dlg, &change);
    QCOMPARE(dlg.windowTitle(), QString("Find Address"));
    QCOMPARE(dlg.findChild<QLineEdit *>("lineEdit")->text(), QString("Maple Hollows"));
}

// Opens the find dialog from the window's slot and plays the user's part in it.
void TestFindDlg::runFind(MainWindow *w, std::function<void(FindDlg *)> drive)
{
    ModalScript script;
    script.then([drive](QWidget *window) {
        auto *dlg = qobject_cast<FindDlg *>(window);
        QVERIFY(dlg && dlg->isWindow());
        drive(dlg);
    });
    QMetaObject::invokeMethod(w, "find");
    QCOMPARE(script.seen(), QStringList{"FindDlg: Find Address"});
}

void TestFindDlg::chosenPlaceIsMarkedOnThePage_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<double>("lat");
    QTest::addColumn<double>("lng");
    QTest::addColumn<double>("shownLat");
    QTest::addColumn<double>("shownLng");
    QTest::newRow("six significant digits") << "New York, NY, USA" << 40.712776 << -74.005974 << 40.7128 << -74.006;
    QTest::newRow("exponent form") << "Null Island" << 0.00001234 << 0.5 << 1.234e-05 << 0.5;
    QTest::newRow("double quote") << "a\"b" << 1.0 << 2.0 << 1.0 << 2.0;
    QTest::newRow("backslash") << "x\\y" << 1.0 << 2.0 << 1.0 << 2.0;
    QTest::newRow("line break") << "first\nsecond" << 1.0 << 2.0 << 1.0 << 2.0;
    QTest::newRow("script") << "\"); pwned = 1; (\"" << 1.0 << 2.0 << 1.0 << 2.0;
    QTest::newRow("markup") << "<img src=x onerror=\"pwned=1\">" << 1.0 << 2.0 << 1.0 << 2.0;
    QTest::newRow("separators") << QString("a") + QChar(0x2028) + "b" + QChar(0x2029) << 1.0 << 2.0 << 1.0 << 2.0;
}

void TestFindDlg::chosenPlaceIsMarkedOnThePage()
{
    QFETCH(QString, address);
    QFETCH(double, lat);
    QFETCH(double, lng);
    m_geocoder.setBody(candidates({{address, lat, lng}}));
    LogCapture log;
    QScopedPointer<MainWindow> w(MapWindowTest::start(log));
    QVERIFY(w);
    runFind(w.data(), [](FindDlg *dlg) {
        searchForOneRow(dlg);
        doubleClickRow(*dlg, 0);
    });

    const QJsonArray marks = MapWindowTest::pageState(w.data()).value("marks").toArray();
    QCOMPARE(marks.size(), 1);
    const QJsonObject mark = marks.first().toObject();
    QCOMPARE(mark.value("text").toString(), address);
    QTEST(mark.value("lat").toDouble(), "shownLat");
    QTEST(mark.value("lng").toDouble(), "shownLng");
    auto *view = w->findChild<QWebView *>("webView");
    QCOMPARE(view->page()->mainFrame()->evaluateJavaScript("typeof pwned").toString(), QString("undefined"));

    w->clearMarks();
    QVERIFY(MapWindowTest::pageState(w.data()).value("marks").toArray().isEmpty());
}

void TestFindDlg::leavingWithoutChoiceMarksNothing()
{
    m_geocoder.setBody(candidates({{"Somewhere", 1, 2}}));
    LogCapture log;
    QScopedPointer<MainWindow> w(MapWindowTest::start(log));
    QVERIFY(w);
    runFind(w.data(), [](FindDlg *dlg) {
        searchForOneRow(dlg);
        dlg->reject();
    });
    QCOMPARE(MapWindowTest::pageState(w.data()).value("marks").toArray().size(), 0);
}

MARLU_TEST_MAIN(TestFindDlg)
#include "tst_finddlg.moc"
