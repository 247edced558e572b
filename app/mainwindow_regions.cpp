// The map service's regions and services from inside the application: the
// "Map Regions" and "Map Services" windows, the areas outlined on the map, and
// the notice where the map has no streets.
#include "mainwindow.h"

#include "ui_mainwindow.h"

#include "app/mapservicelauncher.h"
#include "regions/mapregionswindow.h"
#include "regions/mapservicesdialog.h"
#include "regions/serviceapi.h"
#include "webservice/serverconfig.h"

#include <QDebug>
#include <QFrame>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QWebFrame>
#include <QWebView>

namespace {
// How often the page is asked whether streets are in view; a drag, a zoom key
// and a followed fix all move the map, so asking is simpler than being told.
const int NoticeCheckMs = 1000;

QUrl serviceUrl()
{
    return ServerConfig::url(ServerConfig::MapHostKey, "/");
}
}

void MainWindow::createRegionsMenu()
{
    menuBar()->addAction(tr("Map Regions"), this, &MainWindow::mapRegions);
    menuBar()->addAction(tr("Map Services"), this, &MainWindow::mapServices);

    m_noStreetsNotice = new QFrame(this);
    m_noStreetsNotice->setObjectName("noStreetsNotice");
    m_noStreetsNotice->setStyleSheet(
        "#noStreetsNotice { background: rgba(255, 255, 255, 235); border: 1px solid #888;"
        " border-radius: 6px; } QLabel { color: #222; font-weight: bold; }");
    auto *layout = new QHBoxLayout(m_noStreetsNotice);
    layout->addWidget(new QLabel(tr("No street data here"), m_noStreetsNotice));
    auto *get = new QPushButton(tr("Get map data for this area…"), m_noStreetsNotice);
    get->setObjectName("getMapData");
    // Only the service on this computer can fetch regions.
    get->setVisible(ServiceApi::isLoopback(serviceUrl()));
    layout->addWidget(get);
    connect(get, &QPushButton::clicked, this, [this] { openMapRegions(true); });
    m_noStreetsNotice->hide();

    m_noStreetsTimer = new QTimer(this);
    m_noStreetsTimer->setInterval(NoticeCheckMs);
    connect(m_noStreetsTimer, &QTimer::timeout, this, &MainWindow::updateNoStreetsNotice);
    m_noStreetsTimer->start();

    if (m_launcher)
        connect(m_launcher, &MapServiceLauncher::restarted, this, &MainWindow::reloadTileSources);

    m_dataNotice = new QLabel(tr("The map data is missing: run scripts/run once, or import a "
                                 "region in Map Regions"), this);
    m_dataNotice->setObjectName("dataNotice");
    m_dataNotice->setWordWrap(true);
    m_dataNotice->setStyleSheet(
        "#dataNotice { background: rgba(255, 255, 255, 235); border: 1px solid #888;"
        " border-radius: 6px; color: #222; font-weight: bold; padding: 8px; }");
    m_dataNotice->hide();
    checkMapData();
}

// A service without its data answers every search with a failure; the user
// learns why, and the fix, once, on the map.
void MainWindow::checkMapData()
{
    if (!ServiceApi::isLoopback(serviceUrl()))
        return;
    auto *api = new ServiceApi(m_network, serviceUrl(), this);
    api->get("/marlu/regions", [this, api](const ServiceApi::Answer &answer) {
        api->deleteLater();
        const bool missing = answer.ok && answer.body.value("places") == QJsonValue(false)
            && answer.body.value("regions").toArray().isEmpty();
        if (missing) {
            qWarning() << "map service: no places index and no region";
            const QRect view = ui->webView->geometry();
            m_dataNotice->setFixedWidth(qMin(view.width() - 24, 600));
            m_dataNotice->adjustSize();
            m_dataNotice->move(view.x() + (view.width() - m_dataNotice->width()) / 2,
                               view.y() + view.height() / 3);
            m_dataNotice->raise();
        }
        m_dataNotice->setVisible(missing);
    });
}

void MainWindow::mapRegions()
{
    openMapRegions(false);
}

void MainWindow::openMapRegions(bool atView)
{
    if (!m_regionsWindow) {
        m_regionsWindow = new MapRegionsWindow(m_network, serviceUrl(), this);
        stackWindow(m_regionsWindow);
        connect(m_regionsWindow, &MapRegionsWindow::regionsChanged, this, &MainWindow::reloadTileSources);
        connect(m_regionsWindow, &MapRegionsWindow::regionsChanged, this, &MainWindow::checkMapData);
        connect(m_regionsWindow, &MapRegionsWindow::areaSelected, this, &MainWindow::showRegionArea);
        connect(m_regionsWindow, &MapRegionsWindow::outlinesChanged, this, [this](const QList<QRectF> &areas) {
            QJsonArray boxes;
            for (const QRectF &a : areas)
                boxes.append(QJsonArray{a.left(), a.top(), a.right(), a.bottom()});
            runJavascript("regionOutlines(" + QString::fromUtf8(QJsonDocument(boxes).toJson(QJsonDocument::Compact)) + ");");
        });
    }
    m_regionsWindow->show();
    m_regionsWindow->raise();
    if (atView) {
        const QVariant center = ui->webView->page()->mainFrame()->evaluateJavaScript(
            "(function () { var c = map.getCenter(); return [c.lat(), c.lng()]; })()");
        const QVariantList latLng = center.toList();
        if (latLng.size() == 2)
            m_regionsWindow->downloadAt(latLng[0].toDouble(), latLng[1].toDouble());
    }
}

// The region's area, in the part of the map the regions window leaves free.
void MainWindow::showRegionArea(const QRectF &area)
{
    const QRect view(ui->webView->mapToGlobal(QPoint(0, 0)), ui->webView->size());
    const QRect sheet = m_regionsWindow ? m_regionsWindow->frameGeometry() : QRect();
    int right = 0;
    int bottom = 0;
    if (sheet.intersects(view)) {
        // Whichever side leaves the larger part of the map free.
        const int freeLeft = sheet.left() - view.left();
        const int freeTop = sheet.top() - view.top();
        if (freeLeft * view.height() >= freeTop * view.width())
            right = view.right() + 1 - sheet.left();
        else
            bottom = view.bottom() + 1 - sheet.top();
        // A window over most of the map is no sheet: the area is fitted to the whole map.
        if (view.width() - right < view.width() / 3 || view.height() - bottom < view.height() / 3)
            right = bottom = 0;
    }
    m_centerOnPosition = false;
    runJavascript(QString("map.showArea([%1, %2, %3, %4], %5, %6);")
                      .arg(area.left(), 0, 'g', 8).arg(area.top(), 0, 'g', 8)
                      .arg(area.right(), 0, 'g', 8).arg(area.bottom(), 0, 'g', 8)
                      .arg(qMax(0, right)).arg(qMax(0, bottom)));
}

void MainWindow::mapServices()
{
    MapServicesDialog dialog(m_network, serviceUrl(), this);
    stackWindow(&dialog);
    connect(&dialog, &MapServicesDialog::changed, this, &MainWindow::reloadTileSources);
    dialog.exec();
}

void MainWindow::reloadTileSources()
{
    runJavascript("reloadTileSources();");
}

void MainWindow::updateNoStreetsNotice()
{
    const bool lacking = ui->webView->page()->mainFrame()
        ->evaluateJavaScript("!!(window.map && map.lacksStreets && map.lacksStreets())").toBool();
    if (lacking == m_noStreetsNotice->isVisible())
        return;
    if (lacking) {
        m_noStreetsNotice->adjustSize();
        const QRect view = ui->webView->geometry();
        m_noStreetsNotice->move(view.x() + (view.width() - m_noStreetsNotice->width()) / 2, view.y() + 12);
        m_noStreetsNotice->raise();
    }
    m_noStreetsNotice->setVisible(lacking);
}
