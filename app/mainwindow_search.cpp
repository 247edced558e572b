// Address search: the find dialog and the mark it leaves on the map.
#include "mainwindow.h"

#include <cmath>

#include "ui_mainwindow.h"

#include "geocoding/finddlg.h"
#include "text/jsstring.h"

#include <QStringList>
#include <QVariant>
#include <QWebFrame>
#include <QWebPage>
#include <QWebView>

void MainWindow::find()
{
    FindDlg dlg(m_network, this);
    dlg.setBias(viewBias(), positionBias());
    stackWindow(&dlg);
    if (dlg.exec() != QDialog::Accepted)
        return;

    const GeocodeAddress &place = dlg.m_selectedAddress;
    const QString js = QString("addMark(%1, %2, \"%3\");")
                           .arg(QString::number(place.latitude(), 'g', 6),
                                QString::number(place.longitude(), 'g', 6),
                                JsString::escape(place.description()));
    ui->webView->page()->mainFrame()->evaluateJavaScript(js);
    m_foundPlace = place;
    m_hasFoundPlace = true;
    // The next fix would otherwise centre the map away from the found place.
    m_centerOnPosition = false;
}

QString MainWindow::viewBias()
{
    const QVariant bounds = ui->webView->page()->mainFrame()->evaluateJavaScript(
        "(function () { if (!map) { return ''; } var b = map.getBounds(), sw = b.getSouthWest(),"
        " ne = b.getNorthEast(); return [sw.lat(), sw.lng(), ne.lat(), ne.lng()].join(','); })()");
    // The page is not trusted to send four numbers.
    const QStringList parts = bounds.toString().split(',');
    if (parts.size() != 4)
        return QString();
    QStringList numbers;
    for (const QString &part : parts) {
        bool ok = false;
        const double value = part.toDouble(&ok);
        if (!ok || !std::isfinite(value))
            return QString();
        numbers << QString::number(value, 'f', 6);
    }
    return numbers.join(',');
}

QString MainWindow::positionBias() const
{
    const double lat = m_currentPosition.latitude(), lng = m_currentPosition.longitude();
    if (!m_hasFix || (lat == 0 && lng == 0))
        return QString();
    return QString("%1,%2").arg(QString::number(lat, 'f', 6), QString::number(lng, 'f', 6));
}

void MainWindow::clearMarks()
{
    runJavascript("clearMarks();");
}
