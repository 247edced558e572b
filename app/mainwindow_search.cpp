// Address search: the find dialog and the mark it leaves on the map.
#include "mainwindow.h"

#include "ui_mainwindow.h"

#include "geocoding/finddlg.h"
#include "text/jsstring.h"

#include <QWebFrame>
#include <QWebPage>
#include <QWebView>

void MainWindow::find()
{
    FindDlg dlg(m_network, this);
    stackWindow(&dlg);
    if (dlg.exec() != QDialog::Accepted)
        return;

    const GeocodeAddress &place = dlg.m_selectedAddress;
    const QString js = QString("addMark(%1, %2, \"%3\");")
                           .arg(QString::number(place.latitude(), 'g', 6),
                                QString::number(place.longitude(), 'g', 6),
                                JsString::escape(place.description()));
    ui->webView->page()->mainFrame()->evaluateJavaScript(js);
    // The next fix would otherwise centre the map away from the found place.
    m_centerOnPosition = false;
}

void MainWindow::clearMarks()
{
    runJavascript("clearMarks();");
}
