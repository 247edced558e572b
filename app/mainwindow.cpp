#include "mainwindow.h"

#include "ui_mainwindow.h"

#include "app/mapservicelauncher.h"
#include "app/mousesuppressor.h"
#include "app/overlaytaprelay.h"
#include "app/toolbutton.h"
#include "directions/currdirectionsdlg.h"
#include "directions/directionsdlg.h"
#include "directions/googledirections.h"
#include "geocoding/geocoderequester.h"
#include "platform/maemo5attributes.h"
#include "platform/pickselectoraction.h"
#include "positioning/positionbridge.h"
#include "text/plainmessage.h"
#include "webservice/serverconfig.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QWebFrame>
#include <QWebPage>
#include <QWebSettings>
#include <QWebView>

static void registerResources()
{
    static bool registered = false;
    if (!registered) {
        Q_INIT_RESOURCE(res);
        registered = true;
    }
}

MainWindow::MainWindow(QWidget *parent, MapServiceLauncher *launcher)
    : Maemo5Wnd(parent)
    , ui(new Ui_MainWindow)
    , m_geoLocation(nullptr)
    , m_launcher(launcher)
{
    registerResources();

    ui->setupUi(this);
    // The own position until the first fix arrives.
    m_currentPosition.setCoordinates(35.8185, -78.8641);
    init();

    m_overlay = new QLabel(this);
    m_overlay->setGeometry(ui->webView->x(), ui->webView->y(), ui->webView->width(),
                           ui->webView->height());
    // The overlay takes the map's mouse events so that drags reach this window;
    // taps still have to reach the view's suppressor, and the arrows stay
    // clickable above the overlay.
    new OverlayTapRelay(m_overlay, ui->webView);
    createGuidance();
    for (QWidget *button : {m_westButton, m_northButton, m_eastButton, m_southButton})
        button->raise();
}

MainWindow::~MainWindow()
{
    // Destroying the view aborts a load in progress, and it reports that as a
    // failed load: it must not reach a window that is half gone.
    ui->webView->disconnect(this);
    ui->webView->page()->mainFrame()->disconnect(this);
    delete ui;
    if (m_geocoder) {
        delete m_geocoder;
        m_geocoder = nullptr;
    }
    if (m_directions) {
        delete m_directions;
        m_directions = nullptr;
    }
    if (m_directionsDlg) {
        delete m_directionsDlg;
        m_directionsDlg = nullptr;
    }
    if (m_currDirectionsDlg) {
        delete m_currDirectionsDlg;
        m_currDirectionsDlg = nullptr;
    }
}

void MainWindow::init()
{
    const QString cacheFolder = QDir::homePath() + "/.marlu/cache";

    Maemo5Attributes::setAttribute(this, Maemo5Attributes::StackedWindow, true);
    setWindowFlags(windowFlags() | Qt::Window);

    ensureFolder(cacheFolder);
    qDebug() << "cache folder:" << cacheFolder;

    auto *diskCache = new QNetworkDiskCache(this);
    diskCache->setCacheDirectory(cacheFolder);

    const QString persistent = cacheFolder + "/persistent";
    ensureFolder(persistent);
    QWebSettings::enablePersistentStorage(persistent);

    m_network = new QNetworkAccessManager(this);
    m_network->setCache(diskCache);

    createDirectionsClients();

    QWebPage *page = ui->webView->page();
    QWebFrame *frame = page->mainFrame();
    // The page takes no typing; keys are the window's (pan, zoom, re-centre),
    // and a focused view would swallow some of them for its own scrolling.
    ui->webView->setFocusPolicy(Qt::NoFocus);
    frame->setScrollBarPolicy(Qt::Vertical, Qt::ScrollBarAlwaysOff);
    frame->setScrollBarPolicy(Qt::Horizontal, Qt::ScrollBarAlwaysOff);

    page->setNetworkAccessManager(m_network);

    page->settings()->setAttribute(QWebSettings::DeveloperExtrasEnabled, true);

    const QString local = cacheFolder + "/local";
    ensureFolder(local);
    page->settings()->setLocalStoragePath(local);

    const QString offline = cacheFolder + "/offline";
    ensureFolder(offline);
    QWebSettings::setOfflineStoragePath(offline);

    page->settings()->setAttribute(QWebSettings::OfflineStorageDatabaseEnabled, true);
    page->settings()->setAttribute(QWebSettings::OfflineWebApplicationCacheEnabled, true);

    connect(frame, &QWebFrame::javaScriptWindowObjectCleared,
            this, &MainWindow::javaScriptWindowObjectCleared);

    connect(&m_geoLocation, &GeoLocation::updated, this, &MainWindow::onPositionUpdated);

    grabZoomKeys(true);

    auto *suppressor = new MouseSuppressor(ui->webView);
    connect(suppressor, &MouseSuppressor::click, this, &MainWindow::onClick);

    createPanButtons();

    connect(ui->webView, &QWebView::loadFinished, this, &MainWindow::onLoadFinished);
    // The window shows while the map service starts; the page follows once it answers.
    if (m_launcher) {
        connect(m_launcher, &MapServiceLauncher::ready, this, &MainWindow::load);
        connect(m_launcher, &MapServiceLauncher::failed, this, [this] { onLoadFinished(false); });
    }

    load();
}

void MainWindow::ensureFolder(const QString &path)
{
    QDir dir(path);
    if (!dir.exists() && !dir.mkpath(dir.path()))
        qCritical().nospace() << "error creating app folder: " << path;
}

void MainWindow::load()
{
    if (m_launcher && m_launcher->isStarting())
        return;
    // Another program on the service's port must not have its page shown as the map.
    if (m_launcher && m_launcher->strangerOnPort()) {
        QMetaObject::invokeMethod(this, [this] { onLoadFinished(false); }, Qt::QueuedConnection);
        return;
    }
    ui->webView->setUrl(ServerConfig::url(ServerConfig::MapHostKey, "/gps2.html"));
}

void MainWindow::reload()
{
    ui->webView->reload();
}

void MainWindow::onRequestfinished(QNetworkReply *reply)
{
    Q_UNUSED(reply);
}

void MainWindow::onLoadFinished(bool ok)
{
    if (ok) {
        qDebug() << "loaded html page";
        // Later loads (reloads, navigation) neither rebuild the menu nor ask again.
        disconnect(ui->webView, &QWebView::loadFinished, this, &MainWindow::onLoadFinished);
        createMenu();
        return;
    }

    QString why = tr("The map page %1 could not be loaded.")
        .arg(ServerConfig::url(ServerConfig::MapHostKey, "/gps2.html").toDisplayString());
    if (m_launcher && m_launcher->strangerOnPort())
        why = m_launcher->failure() + ".\n"
            + tr("Trying again starts Marlu's map service on another port for this session.");
    else if (m_launcher && !m_launcher->failure().isEmpty())
        why += "\n" + tr("The map service could not start: %1.").arg(m_launcher->failure());
    const QMessageBox::StandardButton answer = PlainMessage::question(
        this, tr("Failed to Load Map"), why + "\n" + tr("Would you like to try again?"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        close();
        return;
    }
    // The service may have stopped, or never started: it is started now.
    if (m_launcher)
        m_launcher->retry();
    load();
}

void MainWindow::javaScriptWindowObjectCleared()
{
    // A fresh bridge per load: the old page's handlers go with the old one,
    // and whatever a page did to its bridge stays with that page.
    if (m_pageBridge)
        m_pageBridge->deleteLater();
    QWebFrame *frame = ui->webView->page()->mainFrame();
    m_pageBridge = new PositionBridge(&m_geoLocation, frame);
    frame->addToJavaScriptWindowObject("pelmark", m_pageBridge);
}

void MainWindow::runJavascript(QString js)
{
    qDebug() << js;
    ui->webView->page()->mainFrame()->evaluateJavaScript(js);
}

void MainWindow::showProgressIndicator(bool on)
{
    Maemo5Attributes::setAttribute(this, Maemo5Attributes::ShowProgressIndicator, on);
    QCoreApplication::processEvents();
}

void MainWindow::changeEvent(QEvent *e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::LanguageChange)
        setWindowTitle(QCoreApplication::translate("MainWindow", "Marlu"));
}

