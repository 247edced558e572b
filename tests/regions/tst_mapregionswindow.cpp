#include "modalanswerer.h"
#include "servicestandin.h"
#include "testmain.h"

#include "regions/mapregionswindow.h"

#include <QLabel>
#include <QNetworkAccessManager>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

// The Map Regions window against a stand-in of the service.
class TestMapRegionsWindow : public QObject
{
    Q_OBJECT
private slots:
    void listsRegionsAndDeletesAfterAsking();
};

static QPushButton *button(QWidget *w, const QString &text)
{
    for (QPushButton *b : w->findChildren<QPushButton *>())
        if (b->text() == text)
            return b;
    return nullptr;
}

void TestMapRegionsWindow::listsRegionsAndDeletesAfterAsking()
{
    ServiceStandIn service;
    service.answer("GET /marlu/regions", R"({"regions": [
        {"name": "monaco", "bbox": [7.40, 43.72, 7.44, 43.76], "size": 38200000, "date": "2024-05-01T10:00:00Z",
         "state": "ready", "progress": 100, "stage": "", "error": "", "job": ""},
        {"name": "andorra", "bbox": null, "size": 0, "date": "", "state": "importing", "progress": 40,
         "stage": "streets", "error": "", "job": "j7"},
        {"name": "berlin", "bbox": null, "size": 0, "date": "", "state": "failed", "progress": 0,
         "stage": "", "error": "The download's checksum does not match.", "job": ""}]})");
    service.answer("DELETE /marlu/regions/monaco", "{}");

    QNetworkAccessManager network;
    MapRegionsWindow window(&network, service.url(), nullptr);
    qRegisterMetaType<QList<QRectF>>();
    QSignalSpy outlines(&window, &MapRegionsWindow::outlinesChanged);
    QSignalSpy changed(&window, &MapRegionsWindow::regionsChanged);
    window.show();
    auto *list = window.findChild<QTreeWidget *>("regionList");
    QTRY_COMPARE_WITH_TIMEOUT(list->topLevelItemCount(), 3, 30000);
    const QTreeWidgetItem *monaco = list->topLevelItem(0);
    QCOMPARE(monaco->text(0), QString("monaco"));
    QCOMPARE(monaco->text(2), QString("38.2 MB"));
    QCOMPARE(monaco->text(3), QString("2024-05-01"));
    QCOMPARE(monaco->text(4), QString("ready"));
    auto *bar = qobject_cast<QProgressBar *>(list->itemWidget(list->topLevelItem(1), 4));
    QVERIFY(bar);
    QCOMPARE(bar->value(), 40);
    QCOMPARE(bar->text(), QString("importing: street index: 40 %"));
    QCOMPARE(list->topLevelItem(2)->text(4), QString("failed: The download's checksum does not match."));
    QVERIFY(!outlines.isEmpty());
    QCOMPARE(outlines.last().first().value<QList<QRectF>>().size(), 1);

    // A running job is polled; Cancel is for it only.
    const int asked = service.calls().count("GET /marlu/regions");
    QTRY_VERIFY_WITH_TIMEOUT(service.calls().count("GET /marlu/regions") > asked, 30000);
    list->setCurrentItem(list->topLevelItem(1));
    QVERIFY(button(&window, "Cancel")->isEnabled());
    QVERIFY(!button(&window, "Delete")->isEnabled());

    // No keeps the region; Yes deletes it.
    list->setCurrentItem(list->topLevelItem(0));
    {
        ModalAnswerer no(QMessageBox::No);
        button(&window, "Delete")->click();
        QCOMPARE(no.answered(), 1);
        QCOMPARE(no.lastTitle(), QString("Delete Region"));
        QVERIFY(no.lastText().startsWith("Delete the region monaco?"));
    }
    QVERIFY(!service.calls().contains("DELETE /marlu/regions/monaco"));
    ModalAnswerer yes(QMessageBox::Yes);
    button(&window, "Delete")->click();
    QCOMPARE(yes.answered(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(service.calls().contains("DELETE /marlu/regions/monaco"), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(!changed.isEmpty(), 30000);
    QCOMPARE(window.findChild<QLabel *>("status")->text(), QString("monaco was deleted."));

    window.hide();
    QVERIFY(outlines.last().first().value<QList<QRectF>>().isEmpty());
}

MARLU_TEST_MAIN(TestMapRegionsWindow)
#include "tst_mapregionswindow.moc"
