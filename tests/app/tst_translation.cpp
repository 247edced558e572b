#include "logcapture.h"
#include "mapwindowtest.h"
#include "pageserver.h"
#include "testmain.h"

#include "app/mainwindow.h"
#include "app/translations.h"
#include "directions/currdirectionsdlg.h"
#include "directions/directionsdlg.h"
#include "geocoding/finddlg.h"
#include "platform/pickselectoraction.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QNetworkAccessManager>
#include <QPushButton>
#include <QSettings>

// Finnish through the compiled translations: each window says its texts again
// as designed, and what the services and settings get does not change with it.
class TestTranslation : public QObject
{
    Q_OBJECT
private slots:
    void languageChangeRetranslatesTheDialogs();
    void windowStartsInFinnishAndPicksByRow();

private:
    void installFinnish() { m_finnish = m_finnish || Translations::install(QLocale("fi_FI")); }
    bool m_finnish = false;
};

void TestTranslation::languageChangeRetranslatesTheDialogs()
{
    QNetworkAccessManager network;
    FindDlg find(&network, nullptr);
    find.findChild<QLineEdit *>("lineEdit")->setText("Kauppatori");
    DirectionsDlg directions(nullptr);
    directions.setStartAddress("Mannerheimintie 1");
    directions.setDestinationAddress("Kauppatori");
    auto *mode = directions.findChild<QComboBox *>("travelModelCombo");
    auto *units = directions.findChild<QComboBox *>("unitsCombo");
    mode->setCurrentIndex(2);
    units->setCurrentIndex(1);
    directions.findChild<QCheckBox *>("avoidTollsCheck")->setChecked(true);
    QCOMPARE(directions.mode() + " " + directions.units(), QString("bicycling imperial"));
    Directions route;
    route.summary = "E18";
    route.copyrights = "Map data (c) OpenStreetMap contributors";
    CurrDirectionsDlg sheet({route}, nullptr);

    installFinnish();
    QVERIFY(m_finnish);
    QTRY_COMPARE(find.windowTitle(), QString("Etsi osoite"));
    // The typed text gives way to the translated sample address.
    QCOMPARE(find.findChild<QLineEdit *>("lineEdit")->text(), QString("Helsinki"));
    QCOMPARE(find.findChild<QPushButton *>("pushButton")->text(), QString("Hae"));

    QTRY_COMPARE(directions.windowTitle(), QString("Reittiohjeet"));
    QCOMPARE(directions.startAddress() + directions.destinationAddress(), QString());
    QCOMPARE(directions.mode() + " " + directions.units(), QString("driving metric"));
    QCOMPARE(directions.avoid(), QStringList{"tolls"});
    QCOMPARE(mode->itemText(1) + " " + units->itemText(1), QString("Kävellen Imperiaalinen"));

    // The route sheet has no texts to say again; the service's notice stays.
    QCOMPARE(sheet.findChild<QLabel *>("copyrightLbl")->text(), route.copyrights);
}

void TestTranslation::windowStartsInFinnishAndPicksByRow()
{
    installFinnish();
    PageServer server;
    QVERIFY(server.start());
    QSettings().setValue("Servers/MapHost", server.hostPort());
    LogCapture log;
    QScopedPointer<MainWindow> window(MapWindowTest::start(log));
    QVERIFY(window);
    QVERIFY(MapWindowTest::menuEntry(window.data(), "Etsi osoite"));
    auto *updates = qobject_cast<PickSelectorAction *>(
        MapWindowTest::menuEntry(window.data(), "Sijainnin päivitys"));
    QVERIFY(updates);

    qobject_cast<QPushButton *>(updates->requestWidget(window.data()))->click();
    QTRY_VERIFY(QApplication::activeModalWidget());
    auto *list = QApplication::activeModalWidget()->findChild<QListWidget *>();
    const QList<QListWidgetItem *> items = list->findItems("5 sekunnin välein", Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.first()).center());
    QCOMPARE(QSettings().value("UpdateMode").toInt(), 3);
    QVERIFY(log.lines().contains("GeoLocation::setUpdatesPerHour: 720"));
}

MARLU_TEST_MAIN(TestTranslation)
#include "tst_translation.moc"
