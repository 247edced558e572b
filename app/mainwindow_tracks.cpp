// Recorded tracks and GPX files: recording the fixes, the Tracks list, and
// a file's tracks, routes and waypoints shown on the map.
#include "mainwindow.h"

#include "text/plainmessage.h"
#include "tracks/gpxreader.h"
#include "tracks/trackrecorder.h"
#include "tracks/tracksdlg.h"

#include <QAction>
#include <QDebug>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenuBar>
#include <QSettings>
#include <QStandardPaths>

namespace {
// Points a line keeps on the map: more cannot be told apart on a screen, and
// the page stays quick with a long file.
const int MaxShownPoints = 20000;

QJsonArray linePoints(const GpxLine &line)
{
    QJsonArray points;
    const int step = qMax(1, int(line.points.size() / MaxShownPoints));
    for (int i = 0; i < line.points.size(); i += step)
        points.append(QJsonArray{line.points[i].latitude, line.points[i].longitude});
    if (!line.points.isEmpty() && (line.points.size() - 1) % step != 0)
        points.append(QJsonArray{line.points.last().latitude, line.points.last().longitude});
    return points;
}
}

void MainWindow::createTracksMenu(QMenuBar *menu)
{
    m_recorder = new TrackRecorder(QString(), this);
    m_recordTrackAction = menu->addAction(tr("Record Track"));
    m_recordTrackAction->setCheckable(true);
    m_recordTrackAction->setChecked(QSettings().value("RecordTrack", false).toBool());
    connect(m_recordTrackAction, &QAction::toggled, this, [this](bool on) {
        QSettings().setValue("RecordTrack", on);
        if (!on)
            m_recorder->stop();
    });
    connect(&m_geoLocation, &GeoLocation::updated, this, &MainWindow::recordFix);
    menu->addAction(tr("Tracks"), this, &MainWindow::tracks);
    menu->addAction(tr("Open GPX..."), this, [this] {
        const QString path = QFileDialog::getOpenFileName(
            this, tr("Open GPX"), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
            tr("GPX files (*.gpx);;All files (*)"));
        if (!path.isEmpty())
            openGpx(path);
    });
}

void MainWindow::recordFix()
{
    if (!m_recordTrackAction || !m_recordTrackAction->isChecked())
        return;
    if (m_recorder->add(m_geoLocation.positionInfo()) || m_recorder->error().isEmpty())
        return;
    // The disk refused: say so once, and stop rather than fail at every fix.
    const QString error = m_recorder->error();
    m_recordTrackAction->setChecked(false);
    PlainMessage::warning(this, tr("Record Track"), error);
}

void MainWindow::tracks()
{
    TracksDlg dlg(m_recorder ? m_recorder->folder() : TrackRecorder::defaultFolder(), this);
    stackWindow(&dlg);
    if (dlg.exec() == QDialog::Accepted && !dlg.m_chosenFile.isEmpty())
        openGpx(dlg.m_chosenFile);
}

void MainWindow::openGpx(const QString &path)
{
    GpxData data;
    GpxReader reader;
    if (!reader.read(path, &data)) {
        PlainMessage::warning(this, tr("Open GPX"), reader.error());
        return;
    }
    if (data.isEmpty()) {
        PlainMessage::warning(this, tr("Open GPX"), tr("The GPX file holds no tracks, routes or waypoints."));
        return;
    }
    QJsonArray lines, points;
    for (const GpxLine &line : data.tracks + data.routes)
        lines.append(linePoints(line));
    for (const GpxWaypoint &waypoint : data.waypoints.mid(0, 2000))
        points.append(QJsonObject{{"lat", waypoint.latitude}, {"lng", waypoint.longitude}, {"name", waypoint.name}});
    qDebug().noquote() << "MainWindow::openGpx" << data.tracks.size() << "tracks" << data.routes.size()
                       << "routes" << data.waypoints.size() << "waypoints";
    const QJsonObject shape{{"lines", lines}, {"points", points}};
    runJavascript("showGpx(" + jsonLiteral(QJsonDocument(shape).toJson(QJsonDocument::Compact)) + ");");
    m_centerOnPosition = false;
}
