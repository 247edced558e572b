// Position tracking: the update rate, each fix on the map, the accuracy circle
// and turning the map canvas to the direction of travel.
#include "mainwindow.h"

#include "guidance/navigation.h"
#include "ui_mainwindow.h"

#include <QAction>
#include <QSettings>
#include <QWebView>

#include <cmath>

namespace {

QString number(double value)
{
    return QString::number(value, 'g', 6);
}

QString canvasStyle(const QString &property, const QString &value)
{
    return QString("document.getElementById(\"map_canvas\").style[\"%1\"] = \"%2\";")
        .arg(property, value);
}

} // namespace

// The canvas angle that puts the direction of travel at the top: the true
// bearing from one fix to the next, to the nearest quarter, turned back
// (north-bound 0, east-bound 270, south-bound 180, west-bound 90).
static int directionAngle(double fromLat, double fromLon, double toLat, double toLon)
{
    const double rad = M_PI / 180.0;
    const double phi1 = fromLat * rad;
    const double phi2 = toLat * rad;
    const double dLambda = (toLon - fromLon) * rad;
    const double bearing = std::atan2(std::sin(dLambda) * std::cos(phi2),
                                      std::cos(phi1) * std::sin(phi2)
                                          - std::sin(phi1) * std::cos(phi2) * std::cos(dLambda))
                           / rad;
    const int quarter = int(std::lround(bearing / 90.0)) & 3;
    return (360 - 90 * quarter) % 360;
}

void MainWindow::onSourceUpdates(int index)
{
    static const int updatesPerHour[] = {0, 3600, 1800, 720, 360, 240, 120, 60, 12, 6, 4, 2, 1};
    const int count = int(sizeof(updatesPerHour) / sizeof(updatesPerHour[0]));
    const int perHour = (index >= 0 && index < count) ? updatesPerHour[index] : 0;

    QSettings settings;
    settings.setValue("UpdateMode", index);
    m_geoLocation.setUpdatesPerHour(perHour);
}

void MainWindow::onPositionUpdated()
{
    const double previousLat = m_currentPosition.latitude();
    const double previousLon = m_currentPosition.longitude();

    // Without a valid fix (the re-centre key before any fix) the own position
    // stays as it was: not-a-number must neither be stored nor reach the page.
    double lat = m_geoLocation.latitude();
    double lon = m_geoLocation.longitude();
    const bool validFix = !std::isnan(lat) && !std::isnan(lon);
    if (validFix)
        m_currentPosition.setCoordinates(lat, lon);
    m_hasFix = m_hasFix || validFix;
    lat = m_currentPosition.latitude();
    lon = m_currentPosition.longitude();
    m_currentPosition.setDescription(QString("%1 %2").arg(number(lat), number(lon)));

    // While guiding, the navigation turns the map in fine steps instead.
    m_navigation->setFollowing(m_centerOnPosition);
    if (m_centerOnPosition && m_autoRotate && !m_navigation->drivesView()) {
        const double dLon = lon - previousLon;
        const double dLat = lat - previousLat;
        const int angle = directionAngle(previousLat, previousLon, lat, lon);
        if (dLon != 0 || dLat != 0) {
            // A new angle must come from two moves in a row before it turns the map.
            if (angle == m_rotation)
                runJavascript(canvasStyle("WebkitTransform", QString("rotate(%1deg)").arg(angle)));
            m_rotation = angle;
        }
    }

    QString accuracy = "0";
    if (m_showAccuracyAction && m_showAccuracyAction->isChecked()) {
        const double value = validFix ? m_geoLocation.horizontalAccuracy() : -1;
        accuracy = number(std::isnan(value) ? -1 : value);
    }
    runJavascript(QString("updateCenter(%1, %2, %3, %4);")
                      .arg(m_centerOnPosition ? "true" : "false", number(lat), number(lon), accuracy));

    if (m_currDirectionsDlg)
        runJavascript(QString("track(%1, %2);")
                          .arg(number(m_currentPosition.latitude()),
                               number(m_currentPosition.longitude())));
    placeBanner();   // the north arrow follows the map's turn
}

void MainWindow::onShowAccuracy()
{
    if (!m_showAccuracyAction || !m_showAccuracyAction->isChecked())
        runJavascript("radius=null;");
}

void MainWindow::onAutoRotate()
{
    m_autoRotate = m_autoRotateAction && m_autoRotateAction->isChecked();
    m_navigation->setAutoRotate(m_autoRotate);
    if (m_autoRotate) {
        m_rotation = 0;
        // A square as large as the view's diagonal covers the view at any
        // angle; the page centres it and clips the overflow.
        const int side = int(std::ceil(std::hypot(ui->webView->width(), ui->webView->height())));
        runJavascript(canvasStyle("width", QString("%1px").arg(side)));
        runJavascript(canvasStyle("height", QString("%1px").arg(side)));
    } else {
        runJavascript(canvasStyle("WebkitTransform", "rotate(0deg)"));
        runJavascript(canvasStyle("width", "100%"));
        runJavascript(canvasStyle("height", "100%"));
    }
    placeBanner();
}
