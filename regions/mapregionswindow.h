#ifndef MAPREGIONSWINDOW_H
#define MAPREGIONSWINDOW_H

#include "regions/region.h"

#include <QDialog>
#include <QList>
#include <QRectF>
#include <QSet>
#include <QTimer>

class QLabel;
class QNetworkAccessManager;
class QPushButton;
class QTreeWidget;
class ServiceApi;

// The regions of the local map service: what is imported, what is being
// downloaded or imported (with progress, while the window polls), and the
// buttons to import, download, update, delete and cancel.
class MapRegionsWindow : public QDialog
{
    Q_OBJECT
public:
    MapRegionsWindow(QNetworkAccessManager *network, const QUrl &service, QWidget *parent);

    QList<Region> regions() const { return m_regions; }
    // Asks the service for its list again.
    void refresh();
    // Opens the catalogue with the entry covering the point chosen.
    void downloadAt(double lat, double lng);

signals:
    // Streets came or went: the map's tiles are to be drawn again.
    void regionsChanged();
    // The areas to outline on the map while this window is open (none when closed).
    void outlinesChanged(const QList<QRectF> &areas);
    // A region was selected: the map is to show its area (west, south as the
    // top left, east, north as the bottom right, as in outlinesChanged).
    void areaSelected(const QRectF &area);

protected:
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void importFile();
    void download(bool atPoint, double lat = 0, double lng = 0);
    void updateRegion();
    void deleteRegion();
    void cancelJob();
    void showRegions(const QList<Region> &regions);
    void say(const QString &text);
    void updateButtons();
    void selected();
    const Region *current() const;
    // The selected region when it has a job, else the one job under way.
    const Region *runningJob() const;
    void placeAsSheet();
    QPoint sheetPlace() const;

    ServiceApi *m_api;
    QTreeWidget *m_list;
    QLabel *m_status;
    QPushButton *m_import;
    QPushButton *m_download;
    QPushButton *m_update;
    QPushButton *m_delete;
    QPushButton *m_cancel;
    QTimer m_poll;
    QList<Region> m_regions;
    QSet<QString> m_running;   // names with a job under way at the last answer
    bool m_asking = false;
    int m_sheetMovesLeft = 0;   // the window manager's own placement is undone this often
};

#endif
