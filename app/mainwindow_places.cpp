// What the user keeps: saved places (the Places list, their marks, saving one
// found, at the own position or pressed on the map) and the places that
// other programs hand over (geo: links, GPX files).
#include "mainwindow.h"

#include "ui_mainwindow.h"

#include "directions/directionsdlg.h"
#include "geocoding/finddlg.h"
#include "geocoding/geocoderequester.h"
#include "handover/geouri.h"
#include "geocoding/savedplaces.h"
#include "places/favouritestore.h"
#include "places/mappresswatcher.h"
#include "places/placesdlg.h"
#include "places/saveplacedlg.h"
#include "text/jsstring.h"
#include "text/plainmessage.h"

#include <QCompleter>
#include <QDebug>
#include <QLineEdit>
#include <QStringListModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QWebFrame>
#include <QWebPage>
#include <QWebView>

void MainWindow::createPlacesMenu(QMenuBar *menu)
{
    m_favourites = new FavouriteStore(QString(), this);
    connect(m_favourites, &FavouriteStore::changed, this, &MainWindow::onFavouritesChanged);
    // Marks are the page's: a reloaded page gets them again.
    connect(ui->webView, &QWebView::loadFinished, this, [this](bool ok) {
        if (ok) {
            m_favouriteMarksShown = false;   // a new page has none, whatever was shown before
            onFavouritesChanged();
        }
    });
    if (!m_favourites->load())
        PlainMessage::warning(this, tr("Places"), m_favourites->problem());

    menu->addAction(tr("Places"), this, &MainWindow::places);
    menu->addAction(tr("Save Place..."), this, [this] { savePlace(); });
    createTracksMenu(menu);

    auto *watcher = new MapPressWatcher(m_overlay);
    connect(watcher, &MapPressWatcher::pointChosen, this, &MainWindow::onMapPointChosen);
    const QStringList pending = m_pendingLinks;
    m_pendingLinks.clear();
    if (!pending.isEmpty())
        QMetaObject::invokeMethod(this, [this, pending] { openLinks(pending); }, Qt::QueuedConnection);
}

void MainWindow::onFavouritesChanged()
{
    QList<GeocodeAddress> named;
    QJsonArray marks;
    for (const Favourite &place : m_favourites->favourites()) {
        GeocodeAddress address;
        address.setCoordinates(place.latitude, place.longitude);
        address.setDescription(place.name);
        named << address;
        marks.append(QJsonObject{{"lat", place.latitude}, {"lng", place.longitude}, {"name", place.name}});
    }
    SavedPlaces::set(named);
    if (m_placeNames)
        m_placeNames->setStringList(m_favourites->names());
    // Nothing to show and nothing shown: the page needs no word.
    if (marks.isEmpty() && !m_favouriteMarksShown)
        return;
    m_favouriteMarksShown = !marks.isEmpty();
    runJavascript("showFavourites(" + jsonLiteral(QJsonDocument(marks).toJson(QJsonDocument::Compact)) + ");");
}

// JSON is JavaScript but for two line separators that old engines refuse in strings.
QString MainWindow::jsonLiteral(const QByteArray &json)
{
    QString text = QString::fromUtf8(json);
    text.replace(QChar(0x2028), "\\u2028").replace(QChar(0x2029), "\\u2029");
    return text;
}

// The destination of the request form completes from the saved places' names.
void MainWindow::completeFromPlaces(QLineEdit *edit)
{
    if (!edit || !m_favourites)
        return;
    if (!m_placeNames)
        m_placeNames = new QStringListModel(m_favourites->names(), this);
    auto *completer = new QCompleter(m_placeNames, edit);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    edit->setCompleter(completer);
}

void MainWindow::places()
{
    if (!m_favourites)
        return;
    PlacesDlg dlg(m_favourites, m_hasFix, m_currentPosition.latitude(), m_currentPosition.longitude(), this);
    stackWindow(&dlg);
    if (dlg.exec() != QDialog::Accepted)
        return;
    if (dlg.m_action == PlacesDlg::Show)
        showPlace(dlg.m_chosen.latitude, dlg.m_chosen.longitude, dlg.m_chosen.name);
    else if (dlg.m_action == PlacesDlg::RouteHere)
        routeToPlace(dlg.m_chosen.name);
}

void MainWindow::showPlace(double latitude, double longitude, const QString &label)
{
    runJavascript(QString("addMark(%1, %2, \"%3\");")
                      .arg(QString::number(latitude, 'g', 6), QString::number(longitude, 'g', 6),
                           JsString::escape(label)));
    // The next fix would otherwise centre the map away from the place.
    m_centerOnPosition = false;
}

// The request form opens with the saved place's name as the destination, which
// the destination lookup answers with the saved place itself.
void MainWindow::routeToPlace(const QString &name)
{
    resetDirections();
    m_destination.setDescription(name);
    directions();
}

bool MainWindow::routeToSavedPlace(const QString &text)
{
    const GeocodeAddress *saved = SavedPlaces::find(text);
    if (!saved)
        return false;
    // The directions service is asked for the point itself.
    GeocodeAddress point = *saved;
    point.setDescription(QString("%1,%2").arg(QString::number(saved->latitude(), 'f', 6),
                                               QString::number(saved->longitude(), 'f', 6)));
    m_geocoder->cancel();
    m_geocoder->m_results = {point};
    onFindDestinationAddress(true, QString());
    return true;
}

void MainWindow::savePlace(const QList<Favourite> &pressed)
{
    if (!m_favourites)
        return;
    QList<Favourite> choices = pressed;
    QStringList labels;
    for (int i = 0; i < choices.size(); ++i)
        labels << tr("The point pressed on the map");
    if (m_hasFoundPlace) {
        Favourite found;
        found.latitude = m_foundPlace.latitude();
        found.longitude = m_foundPlace.longitude();
        found.address = m_foundPlace.description();
        found.name = m_foundPlace.description().section(',', 0, 0);
        choices << found;
        labels << tr("The place found: %1").arg(found.name);
    }
    if (m_hasFix) {
        Favourite here;
        here.latitude = m_currentPosition.latitude();
        here.longitude = m_currentPosition.longitude();
        here.name = tr("My position");
        choices << here;
        labels << tr("My position");
    }
    const QStringList centre = ui->webView->page()->mainFrame()
        ->evaluateJavaScript("(function () { var c = map.getCenter(); return c.lat() + ',' + c.lng(); })()")
        .toString().split(',');
    Favourite middle;
    if (centre.size() == 2) {
        middle.latitude = centre[0].toDouble();
        middle.longitude = centre[1].toDouble();
        middle.name = tr("Map centre");
        if (Favourite::validCoordinates(middle.latitude, middle.longitude)) {
            choices << middle;
            labels << tr("The centre of the map");
        }
    }
    SavePlaceDlg dlg(choices, labels, this);
    stackWindow(&dlg);
    if (dlg.exec() != QDialog::Accepted)
        return;
    if (!m_favourites->add(dlg.place()))
        PlainMessage::warning(this, tr("Save Place"), m_favourites->lastError());
}

void MainWindow::onMapPointChosen(const QPoint &pos)
{
    const QStringList at = ui->webView->page()->mainFrame()
        ->evaluateJavaScript(QString("latLngAt(%1, %2)").arg(pos.x()).arg(pos.y()))
        .toString().split(',');
    Favourite point;
    if (at.size() == 2) {
        point.latitude = at[0].toDouble();
        point.longitude = at[1].toDouble();
    }
    if (at.size() != 2 || !Favourite::validCoordinates(point.latitude, point.longitude))
        return;
    point.name = tr("Saved place");
    QMenu menu(this);
    QAction *save = menu.addAction(tr("Save Place..."));
    if (menu.exec(m_overlay->mapToGlobal(pos)) == save)
        savePlace({point});
}

// Links and files from the command line or from a later start.
void MainWindow::openLinks(const QStringList &links)
{
    raise();
    activateWindow();
    if (!m_favourites) {
        // The page is not there yet: the menu's building opens them.
        m_pendingLinks << links;
        return;
    }
    for (const QString &link : links) {
        if (GeoUri::isGeoUri(link))
            openGeoUri(link);
        else
            openGpx(link);
    }
}

void MainWindow::openGeoUri(const QString &link)
{
    GeoUri uri;
    if (!uri.parse(link)) {
        PlainMessage::warning(this, tr("Open Link"), uri.error());
        return;
    }
    qDebug().noquote() << "MainWindow::openGeoUri" << JsString::escape(link.left(200));
    if (uri.hasPoint()) {
        const QString label = uri.label().isEmpty()
            ? QString("%1, %2").arg(QString::number(uri.latitude(), 'g', 6), QString::number(uri.longitude(), 'g', 6))
            : uri.label();
        showPlace(uri.latitude(), uri.longitude(), label);
        m_foundPlace.setCoordinates(uri.latitude(), uri.longitude());
        m_foundPlace.setDescription(label);
        m_hasFoundPlace = true;
    }
    if (uri.zoom() >= 0)
        runJavascript(QString("map.setZoom(%1);").arg(uri.zoom()));
    if (uri.query().isEmpty())
        return;
    if (!m_linkGeocoder) {
        m_linkGeocoder = new GeocodeRequester(m_network, this);
        connect(m_linkGeocoder, &GeocodeRequester::finish, this, &MainWindow::onLinkSearchFinished);
    }
    m_linkQuery = uri.query();
    m_linkGeocoder->setBias(viewBias(), positionBias());
    m_linkGeocoder->query(m_linkQuery);
}

void MainWindow::onLinkSearchFinished(bool success, QString error)
{
    if (!success) {
        PlainMessage::warning(this, tr("Open Link"), error);
        return;
    }
    GeocodeAddress chosen;
    if (m_linkGeocoder->m_results.size() == 1) {
        chosen = m_linkGeocoder->m_results.first();
    } else {
        FindDlg chooser(*m_linkGeocoder, m_linkQuery, this);
        stackWindow(&chooser);
        if (chooser.exec() != QDialog::Accepted)
            return;
        chosen = chooser.m_selectedAddress;
    }
    showPlace(chosen.latitude(), chosen.longitude(), chosen.description());
    m_foundPlace = chosen;
    m_hasFoundPlace = true;
}
