// Directions: from the request form through the destination lookup to a route
// on the map and its sheet.
#include "mainwindow.h"

#include "directions/currdirectionsdlg.h"
#include "directions/directionsdlg.h"
#include "directions/googledirections.h"
#include "geocoding/finddlg.h"
#include "geocoding/geocoderequester.h"
#include "platform/maemo5attributes.h"
#include "text/jsstring.h"
#include "text/plainmessage.h"

#include <QDebug>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>

void MainWindow::directions()
{
    if (m_currDirectionsDlg) {
        showCurrentDirections();
        return;
    }

    if (!m_directionsDlg) {
        m_directionsDlg = new DirectionsDlg(this);
        stackWindow(m_directionsDlg);
        completeFromPlaces(m_directionsDlg->findChild<QLineEdit *>("destinationEdit"));
    }
    m_directionsDlg->setStartAddress(m_currentPosition.description());
    m_directionsDlg->setDestinationAddress(m_destination.description());
    // Before the first fix there is no own position to start from.
    const QString noPosition = tr("Your own position is not known yet: type a start address.");
    const bool waitingForFix = m_geoLocation.isUpdating() && !m_hasFix;
    m_directionsDlg->setStartAddressToCurrentPos(m_geoLocation.isUpdating() && !waitingForFix);
    if (waitingForFix)
        QMessageBox::information(this, tr("Directions"), noPosition, QMessageBox::Ok);

    if (m_directionsDlg->exec() != QDialog::Accepted)
        return;
    if (m_directionsDlg->startAddress().trimmed().isEmpty()) {
        QMessageBox::warning(this, tr("Directions"), waitingForFix ? noPosition : tr("Type a start address."),
                             QMessageBox::Ok);
        return;
    }
    if (m_directionsDlg->destinationAddress().trimmed().isEmpty()) {
        QMessageBox::warning(this, tr("Directions - Destination"), tr("Type a place to search for."),
                             QMessageBox::Ok);
        return;
    }

    m_keptRouteIndex = 0;
    m_currentPosition.setDescription(m_directionsDlg->startAddress());
    m_currentPosition.setCoordinates(0, 0);
    showProgressIndicator(true);
    if (routeToSavedPlace(m_directionsDlg->destinationAddress()))
        return;
    m_geocoder->setBias(viewBias(), positionBias());
    m_geocoder->query(m_directionsDlg->destinationAddress());
}

void MainWindow::onFindDestinationAddress(bool success, QString error)
{
    showProgressIndicator(false);
    if (!success) {
        PlainMessage::warning(this, tr("Directions - Destination"), error);
        return;
    }

    if (m_geocoder->m_results.size() == 1) {
        const GeocodeAddress &address = m_geocoder->m_results.first();
        m_destination.setCoordinates(address.latitude(), address.longitude());
        m_destination.setDescription(address.description());
    } else {
        const QString typed = m_directionsDlg ? m_directionsDlg->destinationAddress() : QString();
        auto *chooser = new FindDlg(*m_geocoder, typed, this);
        chooser->setWindowTitle(tr("Destination Address"));
        stackWindow(chooser);
        const bool accepted = chooser->exec() == QDialog::Accepted;
        if (accepted) {
            m_destination.setCoordinates(chooser->m_selectedAddress.latitude(),
                                         chooser->m_selectedAddress.longitude());
            m_destination.setDescription(chooser->m_selectedAddress.description());
        }
        delete chooser;
        if (!accepted)
            return;
    }

    if (m_directionsDlg)
        m_directionsDlg->setDestinationAddress(m_destination.description());
    resetRoute();
    showProgressIndicator(true);
    m_directions->query(m_currentPosition.description(), m_destination.description(),
                        m_directionsDlg ? m_directionsDlg->mode() : QString("driving"),
                        m_directionsDlg && m_directionsDlg->showAlternatives(),
                        m_directionsDlg ? m_directionsDlg->units() : QString("metric"),
                        m_directionsDlg ? m_directionsDlg->avoid() : QStringList());
}

void MainWindow::onDirectionsFinished(bool success, QString error)
{
    if (m_rerouting) {
        finishReroute(success, error);
        return;
    }
    showProgressIndicator(false);
    const int kept = m_keptRouteIndex < m_directions->m_routes.size() ? m_keptRouteIndex : 0;
    m_keptRouteIndex = 0;
    if (!success) {
        PlainMessage::warning(this, tr("Directions"), error);
        return;
    }

    retireSheet();
    // Like a pan, a new route ends follow mode so that fixes leave it in view.
    m_centerOnPosition = false;
    getDirectionsOnMap(kept);
    startGuidance(kept);
    showCurrentDirections(kept);
}

bool MainWindow::cancelDirectionsRequest()
{
    if (!Maemo5Attributes::testAttribute(this, Maemo5Attributes::ShowProgressIndicator))
        return false;
    m_geocoder->cancel();
    m_directions->cancel();
    showProgressIndicator(false);
    qDebug() << "Directions request cancelled";
    return true;
}

void MainWindow::getDirectionsOnMap(int routeIndex)
{
    QString js = "var request = {";
    js += "travelMode: google.maps.DirectionsTravelMode.";
    js += m_directionsDlg ? m_directionsDlg->mode().toUpper() : QString("DRIVING");
    js += ",";
    const QStringList avoid = m_directionsDlg ? m_directionsDlg->avoid() : QStringList();
    for (const QString &entry : avoid) {
        if (entry == "highways")
            js += "avoidHighways: true,";
        else if (entry == "tolls")
            js += "avoidTolls: true,";
    }
    if (m_directionsDlg && m_directionsDlg->showAlternatives())
        js += "provideRouteAlternatives: true,";
    // Addresses are the user's or the service's text: escaped, so that a quote
    // in one neither breaks the request nor runs in the page.
    js += "origin: \"";
    js += JsString::escape(m_currentPosition.description());
    js += "\",destination: \"";
    js += JsString::escape(m_destination.description());
    js += "\"};directionsService.route(request,function(result, status) {if (status == "
          "google.maps.DirectionsStatus.OK) {directionsDisplay.setMap(map);directionsDisplay."
          "setDirections(result);directionsDisplay.setRouteIndex(";
    js += QString::number(routeIndex);
    js += ");}});";
    runJavascript(js);
}

void MainWindow::makeSheet(int routeIndex)
{
    if (m_currDirectionsDlg)
        return;
    m_currDirectionsDlg = new CurrDirectionsDlg(m_directions->m_routes, this);
    m_currDirectionsDlg->selectRoute(routeIndex);
    m_currDirectionsDlg->setImperial(m_directionsDlg && m_directionsDlg->units() == "imperial");
    m_currDirectionsDlg->setTrip(m_directionsDlg ? m_directionsDlg->mode() : QString("driving"),
                                 m_currentPosition.description(), m_destination.description());
    m_currDirectionsDlg->setWindowTitle(m_destination.description());
    stackWindow(m_currDirectionsDlg);
}

void MainWindow::showCurrentDirections(int routeIndex)
{
    makeSheet(routeIndex);

    QPointer<CurrDirectionsDlg> sheet = m_currDirectionsDlg;
    const int result = sheet->exec();
    // A newer answer replaced this sheet while it was open: that answer's own
    // sheet now speaks for the map.
    if (!sheet || sheet != m_currDirectionsDlg)
        return;

    runJavascript(QString("directionsDisplay.setRouteIndex(%1);").arg(sheet->selectedIndex()));
    followSelectedRoute(sheet->selectedIndex());
    if (result != QDialog::Accepted)
        return;

    switch (sheet->m_action) {
    case CurrDirectionsDlg::Recalculate:
        m_keptRouteIndex = qMax(0, sheet->selectedIndex());
        resetDirections();
        showProgressIndicator(true);
        m_geocoder->setBias(viewBias(), positionBias());
        m_geocoder->query(m_directionsDlg ? m_directionsDlg->destinationAddress() : m_destination.description());
        break;
    case CurrDirectionsDlg::New:
        resetDirections();
        directions();
        break;
    case CurrDirectionsDlg::Clear:
        resetDirections();
        break;
    case CurrDirectionsDlg::None:
        break;
    }
}

void MainWindow::resetRoute()
{
    runJavascript("if ( polyLine ) polyLine.setMap(null); polyLine=null;");
}

void MainWindow::resetDirections()
{
    stopGuidance();
    resetRoute();
    runJavascript("directionsDisplay.setMap(null);");
    retireSheet();
}

// The sheet may still be running its own loop further down the stack: a shown
// one is closed, and goes once that loop has ended.
void MainWindow::retireSheet()
{
    CurrDirectionsDlg *sheet = m_currDirectionsDlg;
    if (!sheet)
        return;
    m_currDirectionsDlg = nullptr;
    if (sheet->isVisible()) {
        sheet->reject();
        sheet->deleteLater();
    } else {
        delete sheet;
    }
}

// The dialogs of the window are stacked windows of their own.
void MainWindow::stackWindow(QDialog *dialog)
{
    Maemo5Attributes::setAttribute(dialog, Maemo5Attributes::StackedWindow, true);
    dialog->setWindowFlags(Qt::Window);
}

void MainWindow::createDirectionsClients()
{
    m_geocoder = new GeocodeRequester(m_network, this);
    connect(m_geocoder, &GeocodeRequester::finish, this, &MainWindow::onFindDestinationAddress);

    m_directions = new GoogleDirections(m_network, this);
    connect(m_directions, &GoogleDirections::finish, this, &MainWindow::onDirectionsFinished);
}
