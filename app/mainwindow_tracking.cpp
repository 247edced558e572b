// Position tracking: the update rate, each fix on the map, the accuracy circle
// and turning the map canvas to the direction of travel.
#include "mainwindow.h"

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

// The canvas angle for a move: mostly east 90, mostly west 270 (both only when
// the latitude changed too), mostly south 0, anything else 180.
static int directionAngle(double dLon, double dLat)
{
    if (dLon > 0 && dLat > 0 && dLon > dLat)
        return 90;
    if (dLon < 0 && dLat < 0 && dLon < dLat)
        return 270;
    if (dLon > 0 && dLat < 0 && dLon > -dLat)
        return 90;
    if (dLon < 0 && dLat > 0 && dLon < -dLat)
        return 270;
    if (dLat < 0)
        return 0;
    return 180;
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
    lat = m_currentPosition.latitude();
    lon = m_currentPosition.longitude();
    m_currentPosition.setDescription(QString("%1 %2").arg(number(lat), number(lon)));

    if (m_centerOnPosition && m_autoRotate) {
        const double dLon = lon - previousLon;
        const double dLat = lat - previousLat;
        const int angle = directionAngle(dLon, dLat);
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
}

void MainWindow::onShowAccuracy()
{
    if (!m_showAccuracyAction || !m_showAccuracyAction->isChecked())
        runJavascript("radius=null;");
}

void MainWindow::onAutoRotate()
{
    m_autoRotate = m_autoRotateAction && m_autoRotateAction->isChecked();
    if (m_autoRotate) {
        m_rotation = 0;
        const int side = qMin(ui->webView->width(), ui->webView->height());
        runJavascript(canvasStyle("width", QString("%1px").arg(side)));
        runJavascript(canvasStyle("height", QString("%1px").arg(side)));
    } else {
        runJavascript(canvasStyle("WebkitTransform", "rotate(0deg)"));
        runJavascript(canvasStyle("width", "100%"));
        runJavascript(canvasStyle("height", "100%"));
    }
}
