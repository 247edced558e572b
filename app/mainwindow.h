#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "geocoding/location.h"
#include "platform/maemo5wnd.h"
#include "positioning/geolocation.h"

#include <QString>

class GeocodeRequester;
class QEvent;
class QLabel;
class QNetworkAccessManager;
class QNetworkReply;
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

public slots:
    void javaScriptWindowObjectCleared();
    void reload();
    void find();
    void onRequestfinished(QNetworkReply *reply);
    void onLoadFinished(bool ok);

protected:
    void changeEvent(QEvent *e) override;

private:
    void createMenu();
    static void ensureFolder(const QString &path);

    Ui_MainWindow *ui;
    bool m_centerOnPosition;
    bool m_autoRotate;
    int m_rotation;
    QNetworkAccessManager *m_network;
    int m_hideButtonsCount;
    Location m_currentPosition;
    Location m_destination;
    GeocodeRequester *m_geocoder;
    int m_lastMouseX;
    int m_lastMouseY;
    QLabel *m_overlay;
    GeoLocation m_geoLocation;
};

#endif
