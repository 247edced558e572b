// Guidance: while a route is shown and fixes arrive, the banner over the map,
// the spoken prompts, a new route when the driver leaves this one, and the end
// of guidance on arrival.
#include "mainwindow.h"

#include "app/mapcontrols.h"
#include "app/toolbutton.h"
#include "directions/currdirectionsdlg.h"
#include "directions/directionsdlg.h"
#include "directions/googledirections.h"
#include "guidance/guidance.h"
#include "guidance/guidancebanner.h"
#include "guidance/navigation.h"
#include "guidance/voiceprompter.h"
#include "ui_mainwindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QAction>
#include <QDebug>
#include <QMenuBar>
#include <QSettings>
#include <QWebView>

#include <cmath>

void MainWindow::createGuidance()
{
    m_navigation = new Navigation(&m_geoLocation, this);
    m_guidance = m_navigation->guidance();
    m_voice = new VoicePrompter(this);
    m_banner = new GuidanceBanner(this);
    m_voice->setEnabled(QSettings().value("VoiceGuidance", true).toBool());
    connect(m_guidance, &Guidance::updated, this, [this] {
        if (m_guidance->hasArrived())
            m_banner->showArrival();
        else
            m_banner->showProgress(*m_guidance);
        placeBanner();
    });
    connect(m_guidance, &Guidance::prompt, m_voice, &VoicePrompter::say);
    connect(m_guidance, &Guidance::rerouteNeeded, this, &MainWindow::reroute);
    connect(m_banner, &GuidanceBanner::clicked, this, &MainWindow::onBannerClicked);
    connect(m_navigation, &Navigation::javascript, this, &MainWindow::runJavascript);
    connect(m_navigation, &Navigation::followStarted, this, [this] {
        m_centerOnPosition = true;
        onPositionUpdated();
    });

    m_mapControls = new MapControls(this);
    connect(m_mapControls, &MapControls::zoomIn, this, [this] {
        pauseDriveView();
        runJavascript("map.setZoom(map.getZoom()+1);");
    });
    connect(m_mapControls, &MapControls::zoomOut, this, [this] {
        pauseDriveView();
        runJavascript("map.setZoom(map.getZoom()-1);");
    });
    // What the keypad's Enter does: centre on the own position and follow it again.
    connect(m_mapControls, &MapControls::follow, this, [this] {
        m_centerOnPosition = true;
        onPositionUpdated();
    });
    placeBanner();
}

void MainWindow::addVoiceGuidanceEntry(QMenuBar *menu)
{
    m_voiceGuidanceAction = menu->addAction(tr("Voice Guidance"));
    m_voiceGuidanceAction->setCheckable(true);
    m_voiceGuidanceAction->setChecked(m_voice->isEnabled());
    connect(m_voiceGuidanceAction, &QAction::toggled, this, [this](bool on) {
        QSettings().setValue("VoiceGuidance", on);
        m_voice->setEnabled(on);
    });
}

// The banner and the corner buttons over the map. In fullscreen the buttons
// come and go with the pan arrows.
void MainWindow::placeBanner()
{
    if (!m_banner || !m_mapControls)
        return;
    const QRect map(ui->webView->mapTo(this, QPoint(0, 0)), ui->webView->size());
    m_banner->place(map);
    MapControls::Layout layout;
    layout.map = map;
    layout.topInset = m_banner->isVisible() ? m_banner->height() : 0;
    layout.shown = !isFullScreen() || (m_westButton && m_westButton->isVisible());
    layout.rotated = m_autoRotate;
    layout.rotation = !m_autoRotate ? 0 : m_navigation->rotation() != 0 ? m_navigation->rotation() : m_rotation;
    m_mapControls->place(layout);
    m_navigation->setMap(map.size(), layout.topInset);
}

// A zoom of the user's own while the map follows the car: following
// pauses, as for a pan, until the follow button.
void MainWindow::pauseDriveView()
{
    if (m_navigation->drivesView()) {
        m_centerOnPosition = false;
        m_navigation->setFollowing(false);
    }
}

// The route drawn is the one guided: the alternative chosen on the sheet.
void MainWindow::startGuidance(int routeIndex)
{
    const QList<Directions> &routes = m_directions->m_routes;
    if (routeIndex < 0 || routeIndex >= routes.size()) {
        stopGuidance();
        return;
    }
    m_guidedRoute = routeIndex;
    const bool imperial = m_directionsDlg && m_directionsDlg->units() == "imperial";
    m_navigation->start(routes.at(routeIndex), imperial);
    qDebug() << "Guidance: following route" << routeIndex;
}

void MainWindow::stopGuidance()
{
    m_navigation->stop();
    m_rerouting = false;
    m_guidedRoute = -1;
    if (!m_guidance->hasArrived())
        m_banner->hide();
}

void MainWindow::followSelectedRoute(int routeIndex)
{
    if (m_currDirectionsDlg && routeIndex != m_guidedRoute && !m_guidance->hasArrived())
        startGuidance(routeIndex);
}

// A new route from here to the same destination, with the same mode, options
// and units. The destination is already resolved: it is not looked up again,
// so no chooser can open while driving, and the old route stays until the
// new one is there.
void MainWindow::reroute(double latitude, double longitude)
{
    if (!m_currDirectionsDlg)
        return;
    m_rerouting = true;
    m_rerouteOrigin = QString("%1 %2").arg(QString::number(latitude, 'g', 6), QString::number(longitude, 'g', 6));
    qDebug() << "Guidance: rerouting from" << m_rerouteOrigin;
    m_directions->query(m_rerouteOrigin, m_destination.description(),
                        m_directionsDlg ? m_directionsDlg->mode() : QString("driving"),
                        m_directionsDlg && m_directionsDlg->showAlternatives(),
                        m_directionsDlg ? m_directionsDlg->units() : QString("metric"),
                        m_directionsDlg ? m_directionsDlg->avoid() : QStringList());
}

// The answer to a reroute: drawn and guided at once, the sheet replaced but
// not shown; a failure keeps the old route and is only logged.
void MainWindow::finishReroute(bool success, const QString &error)
{
    m_rerouting = false;
    if (!success || m_directions->m_routes.isEmpty() || !m_currDirectionsDlg) {
        qWarning().noquote() << "Guidance: no new route:" << error;
        m_navigation->rerouteFinished(false);
        return;
    }
    retireSheet();
    resetRoute();
    makeSheet(0);
    // The page draws from the position the request left from, as the guided route does.
    const QString previous = m_currentPosition.description();
    m_currentPosition.setDescription(m_rerouteOrigin);
    getDirectionsOnMap(0);
    m_currentPosition.setDescription(previous);
    m_guidedRoute = 0;
    m_navigation->rerouteFinished(true, m_directions->m_routes.first());
    qDebug() << "Guidance: new route drawn";
}

void MainWindow::onBannerClicked()
{
    if (!m_currDirectionsDlg || QApplication::activeModalWidget())
        return;
    // The sheet opens at the step being driven.
    if (auto *list = m_currDirectionsDlg->findChild<QAbstractItemView *>("directionsList")) {
        const int step = m_guidance->state().step;
        if (list->model() && step >= 0 && step < list->model()->rowCount())
            list->setCurrentIndex(list->model()->index(step, 0));
    }
    showCurrentDirections(m_currDirectionsDlg->selectedIndex());
}
