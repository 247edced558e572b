#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "geocoding/location.h"
#include "platform/maemo5wnd.h"
#include "positioning/geolocation.h"

#include <QMouseEvent>
#include <QPointer>
#include <QString>

class CurrDirectionsDlg;
class DirectionsDlg;
class FavouriteStore;
class TrackRecorder;
struct Favourite;
class GeocodeRequester;
class GoogleDirections;
class MapServiceLauncher;
class MapRegionsWindow;
class QFrame;
class QRectF;
class QTimer;
class Guidance;
class GuidanceBanner;
class Navigation;
class MapControls;
class QMenuBar;
class VoicePrompter;
class PickSelectorAction;
class PositionBridge;
class QAction;
class QActionGroup;
class QDialog;
class QEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QStringListModel;
class QNetworkAccessManager;
class QNetworkReply;
class QResizeEvent;
class ToolButton;
class Ui_MainWindow;

// The hub of the application: the web view with the map page, the shared
// network manager, the position source and every feature's slots.
class MainWindow : public Maemo5Wnd
{
    Q_OBJECT
public:
    // launcher: the one that started or found the local map service, asked
    // again when the page cannot be loaded; null when the map host is elsewhere.
    explicit MainWindow(QWidget *parent = nullptr, MapServiceLauncher *launcher = nullptr);
    ~MainWindow();

    void init();
    void load();
    void showProgressIndicator(bool on);
    void runJavascript(QString js);

    // How long the pan arrows stay after their last use; tests shorten it.
    static void setHideButtonsDelay(int ms);

public slots:
    void javaScriptWindowObjectCleared();
    void reload();   // part of the interface, though nothing calls it: keep
    void directions();
    void resetRoute();
    void find();
    void clearMarks();
    void onPositionUpdated();
    void onRequestfinished(QNetworkReply *reply);   // part of the interface, connected nowhere: keep
    void onViewChanged(QAction *action);
    void onHideButtons();
    void onClick(QMouseEvent *pEvent);
    void onWest();
    void onEast();
    void onNorth();
    void onSouth();
    void onFindDestinationAddress(bool success, QString error);
    void onDirectionsFinished(bool success, QString error);
    void onBannerClicked();
    void onSourceUpdates(int index);
    void onAutoRotate();
    void onTrafficLayer();
    void onShowAccuracy();
    void onBicyclingLayer();
    void onLoadFinished(bool ok);
    void mapRegions();
    void mapServices();
    void places();
    // geo: links and GPX files, from the command line or a later start.
    void openLinks(const QStringList &links);
    void tracks();
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *e) override;

private:
    void createMenu();
    void createRegionsMenu();
    void reloadTileSources();
    void updateNoStreetsNotice();
    void checkMapData();
    void showRegionArea(const QRectF &area);
    void openMapRegions(bool atView);
    void createPanButtons();
    void createDirectionsClients();
    void setView(int view);
    void incrementTimer();
    // routeIndex: the alternative drawn, and the one a new sheet opens on.
    void getDirectionsOnMap(int routeIndex = 0);
    bool cancelDirectionsRequest();   // false when none is running
    void resetDirections();
    void showCurrentDirections(int routeIndex = 0);
    void retireSheet();
    void makeSheet(int routeIndex);
    // Guidance (mainwindow_guidance.cpp).
    void createGuidance();
    void addVoiceGuidanceEntry(QMenuBar *menu);
    void placeBanner();
    void startGuidance(int routeIndex);
    void stopGuidance();
    void followSelectedRoute(int routeIndex);
    void pauseDriveView();
    void reroute(double latitude, double longitude);
    void finishReroute(bool success, const QString &error);
    static void stackWindow(QDialog *dialog);
    // Places, tracks and what other programs hand over (mainwindow_places.cpp).
    void createPlacesMenu(QMenuBar *menu);
    void onFavouritesChanged();
    void savePlace(const QList<Favourite> &pressed = {});
    void onMapPointChosen(const QPoint &pos);
    void showPlace(double latitude, double longitude, const QString &label);
    void routeToPlace(const QString &name);
    bool routeToSavedPlace(const QString &text);   // false when `text` names no saved place
    static QString jsonLiteral(const QByteArray &json);
    void completeFromPlaces(QLineEdit *edit);
    void openGeoUri(const QString &link);
    void onLinkSearchFinished(bool success, QString error);
    // Tracks and GPX files (mainwindow_tracks.cpp).
    void createTracksMenu(QMenuBar *menu);
    void recordFix();
    void openGpx(const QString &path);
    // What the geocoder is told so that it prefers places near the reader:
    // the page's view as "south,west,north,east" and the own position as
    // "lat,lng"; empty when unknown.
    QString viewBias();
    QString positionBias() const;
    static void ensureFolder(const QString &path);

    static int s_hideButtonsDelayMs;

    Ui_MainWindow *ui;
    QActionGroup *m_viewGroup = nullptr;
    ToolButton *m_westButton = nullptr;
    ToolButton *m_northButton = nullptr;
    ToolButton *m_eastButton = nullptr;
    ToolButton *m_southButton = nullptr;
    QAction *m_autoRotateAction = nullptr;
    QAction *m_trafficLayerAction = nullptr;
    QAction *m_bicyclingLayerAction = nullptr;
    QAction *m_showAccuracyAction = nullptr;
    bool m_centerOnPosition = true;
    bool m_hasFix = false;
    bool m_autoRotate = false;
    int m_rotation = 0;
    QNetworkAccessManager *m_network = nullptr;
    int m_hideButtonsCount = 0;
    Location m_currentPosition;
    Location m_destination;
    GeocodeRequester *m_geocoder = nullptr;
    GoogleDirections *m_directions = nullptr;
    DirectionsDlg *m_directionsDlg = nullptr;
    CurrDirectionsDlg *m_currDirectionsDlg = nullptr;
    // The alternative chosen when "Recalculate" was pressed, shown again if the
    // new answer has that many; 0 for a new request.
    int m_keptRouteIndex = 0;
    int m_lastMouseX = 0;
    int m_lastMouseY = 0;
    QLabel *m_overlay = nullptr;
    GeoLocation m_geoLocation;
    QPointer<PositionBridge> m_pageBridge;   // the page may delete it
    PickSelectorAction *m_updateModeAction = nullptr;
    MapServiceLauncher *m_launcher = nullptr;
    QPointer<MapRegionsWindow> m_regionsWindow;
    QFrame *m_noStreetsNotice = nullptr;
    QTimer *m_noStreetsTimer = nullptr;
    QLabel *m_dataNotice = nullptr;   // the service has no data at all
    Navigation *m_navigation = nullptr;
    Guidance *m_guidance = nullptr;   // the navigation's
    GuidanceBanner *m_banner = nullptr;
    MapControls *m_mapControls = nullptr;
    VoicePrompter *m_voice = nullptr;
    QAction *m_voiceGuidanceAction = nullptr;
    bool m_rerouting = false;   // the running directions request is a reroute
    QString m_rerouteOrigin;
    int m_guidedRoute = -1;
    FavouriteStore *m_favourites = nullptr;
    Location m_foundPlace;   // the last place Find Address marked
    bool m_hasFoundPlace = false;
    bool m_favouriteMarksShown = false;
    QStringList m_pendingLinks;   // handed over before the page had loaded
    GeocodeRequester *m_linkGeocoder = nullptr;
    QString m_linkQuery;
    QStringListModel *m_placeNames = nullptr;
    TrackRecorder *m_recorder = nullptr;
    QAction *m_recordTrackAction = nullptr;
};

#endif
