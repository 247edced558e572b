#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "geocoding/location.h"
#include "platform/maemo5wnd.h"
#include "positioning/geolocation.h"

#include <QMouseEvent>
#include <QString>

class CurrDirectionsDlg;
class DirectionsDlg;
class GeocodeRequester;
class GoogleDirections;
class PickSelectorAction;
class QAction;
class QActionGroup;
class QEvent;
class QKeyEvent;
class QLabel;
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
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow();

    void init();
    void load();
    void showProgressIndicator(bool on);
    void runJavascript(QString js);

    // How long the pan arrows stay after their last use; tests shorten it.
    static void setHideButtonsDelay(int ms);

public slots:
    void javaScriptWindowObjectCleared();
    void reload();
    void directions();
    void resetRoute();
    void find();
    void clearMarks();
    void onPositionUpdated();
    void onRequestfinished(QNetworkReply *reply);
    void onViewChanged(QAction *action);
    void onHideButtons();
    void onClick(QMouseEvent *pEvent);
    void onWest();
    void onEast();
    void onNorth();
    void onSouth();
    void onFindDestinationAddress(bool success, QString error);
    void onDirectionsFinished(bool success, QString error);
    void onSourceUpdates(int index);
    void onAutoRotate();
    void onTrafficLayer();
    void onShowAccuracy();
    void onBicyclingLayer();
    void onLoadFinished(bool ok);
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *e) override;

private:
    void createMenu();
    void setView(int view);
    void incrementTimer();
    void getDirectionsOnMap();
    void resetDirections();
    void showCurrentDirections();
    static void ensureFolder(const QString &path);

    static int s_hideButtonsDelayMs;

    Ui_MainWindow *ui;
    QActionGroup *m_viewGroup;
    ToolButton *m_westButton;
    ToolButton *m_northButton;
    ToolButton *m_eastButton;
    ToolButton *m_southButton;
    QAction *m_autoRotateAction;
    QAction *m_trafficLayerAction;
    QAction *m_bicyclingLayerAction;
    QAction *m_showAccuracyAction;
    bool m_centerOnPosition;
    bool m_hasFix = false;
    bool m_autoRotate;
    int m_rotation;
    QNetworkAccessManager *m_network;
    int m_hideButtonsCount;
    Location m_currentPosition;
    Location m_destination;
    GeocodeRequester *m_geocoder;
    GoogleDirections *m_directions;
    DirectionsDlg *m_directionsDlg;
    CurrDirectionsDlg *m_currDirectionsDlg;
    int m_lastMouseX;
    int m_lastMouseY;
    QLabel *m_overlay;
    GeoLocation m_geoLocation;
    PickSelectorAction *m_updateModeAction;
};

#endif
