#include "mapregionswindow.h"

#include "platform/screenfit.h"
#include "regions/cataloguedialog.h"
#include "regions/serviceapi.h"
#include "regions/sizetext.h"
#include "text/plainmessage.h"

#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const int PollMs = 1000;

QString areaText(const QRectF &box)
{
    if (box.isNull())
        return QObject::tr("unknown");
    return QString::fromUtf8("%1° to %2° E, %3° to %4° N")
        .arg(box.left(), 0, 'f', 2).arg(box.right(), 0, 'f', 2)
        .arg(box.top(), 0, 'f', 2).arg(box.bottom(), 0, 'f', 2);
}

QString pathPart(const QString &name)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(name));
}

}

MapRegionsWindow::MapRegionsWindow(QNetworkAccessManager *network, const QUrl &service,
                                   QWidget *parent)
    : QDialog(parent)
    , m_api(new ServiceApi(network, service, this))
    , m_list(new QTreeWidget(this))
    , m_status(new QLabel(this))
{
    setWindowTitle(tr("Map Regions"));
    m_list->setObjectName("regionList");
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({tr("Region"), tr("Area"), tr("Size"), tr("Date"), tr("State")});
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->header()->setStretchLastSection(true);
    m_status->setObjectName("status");
    m_status->setWordWrap(true);
    m_status->setTextFormat(Qt::PlainText);

    m_import = new QPushButton(tr("Import from File…"), this);
    m_download = new QPushButton(tr("Download…"), this);
    m_update = new QPushButton(tr("Update"), this);
    m_delete = new QPushButton(tr("Delete"), this);
    m_cancel = new QPushButton(tr("Cancel"), this);
    connect(m_import, &QPushButton::clicked, this, &MapRegionsWindow::importFile);
    connect(m_download, &QPushButton::clicked, this, [this] { download(false); });
    connect(m_update, &QPushButton::clicked, this, &MapRegionsWindow::updateRegion);
    connect(m_delete, &QPushButton::clicked, this, &MapRegionsWindow::deleteRegion);
    connect(m_cancel, &QPushButton::clicked, this, &MapRegionsWindow::cancelJob);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &MapRegionsWindow::selected);

    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {m_import, m_download, m_update, m_delete, m_cancel})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(m_status);
    layout->addLayout(buttons);
    resize(760, 420);

    m_poll.setInterval(PollMs);
    connect(&m_poll, &QTimer::timeout, this, &MapRegionsWindow::refresh);
    updateButtons();
}

void MapRegionsWindow::showEvent(QShowEvent *event)
{
    placeAsSheet();
    QDialog::showEvent(event);
    refresh();
}

// On a screen as small as the handheld's the window would hide the map and
// the areas it outlines: it takes the right part of the screen, and the map
// shows a selected region in the part left free.
void MapRegionsWindow::placeAsSheet()
{
    m_sheetMovesLeft = 0;
    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    if (area.width() >= 1000 && area.height() >= 600)
        return;
    const QSize room = ScreenFit::room(this);
    setMinimumSize(minimumSize().boundedTo(room));
    resize(qMin(room.width(), qMax(area.width() * 11 / 20, 420)), room.height());
    move(sheetPlace());
    // A manager may place the window its own way when it first shows it.
    m_sheetMovesLeft = 3;
}

QPoint MapRegionsWindow::sheetPlace() const
{
    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    return QPoint(area.right() + 1 - frameGeometry().width(), area.top());
}

void MapRegionsWindow::moveEvent(QMoveEvent *event)
{
    QDialog::moveEvent(event);
    if (m_sheetMovesLeft > 0 && isVisible() && pos() != sheetPlace()) {
        --m_sheetMovesLeft;
        move(sheetPlace());
    }
}

void MapRegionsWindow::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    m_poll.stop();
    emit outlinesChanged({});
}

void MapRegionsWindow::refresh()
{
    // One question at a time: a slow service is not asked again before it answered.
    if (m_asking)
        return;
    m_asking = true;
    m_api->get("/marlu/regions", [this](const ServiceApi::Answer &answer) {
        m_asking = false;
        if (!answer.ok) {
            say(answer.error);
            return;
        }
        int skipped = 0;
        showRegions(Region::listFrom(answer.body, &skipped));
        if (skipped)
            say(tr("%n entries of the service's list were not understood and are not shown.", "", skipped));
    });
}

void MapRegionsWindow::showRegions(const QList<Region> &regions)
{
    const QString selected = current() ? current()->name : QString();
    m_regions = regions;
    m_list->clear();
    QSet<QString> running;
    QList<QRectF> areas;
    for (const Region &r : regions) {
        auto *item = new QTreeWidgetItem({r.name, areaText(r.bbox),
                                          r.size > 0 ? SizeText::of(r.size) : QString(),
                                          r.date.isEmpty() ? QObject::tr("unknown") : r.date.left(10),
                                          QString()});
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        m_list->addTopLevelItem(item);
        if (!r.bbox.isNull())
            areas << r.bbox;
        if (r.running()) {
            running << r.name;
            QString stage = r.stage == "download" ? tr("downloading")
                : r.stage == "routing" ? tr("importing: routing database")
                : r.stage == "streets" ? tr("importing: street index")
                : r.stage == "map" ? tr("importing: street map") : tr("importing");
            if (r.stage == "download" && r.total > 0 && r.bytes >= 0) {
                stage += " " + tr("%1 of %2").arg(SizeText::of(r.bytes), SizeText::of(r.total));
                if (r.speed > 0)
                    stage += ", " + tr("%1/s").arg(SizeText::of(r.speed));
                if (r.eta >= 0)
                    stage += ", " + tr("%1 min left").arg((r.eta + 59) / 60);
            }
            auto *bar = new QProgressBar(m_list);
            bar->setRange(0, 100);
            bar->setValue(r.progress);
            bar->setFormat(stage + QString(": %p %"));
            m_list->setItemWidget(item, 4, bar);
        } else {
            item->setText(4, r.state == "failed" ? tr("failed: %1").arg(r.error)
                                                 : r.state == "ready" ? tr("ready") : r.state);
        }
        if (r.name == selected)
            m_list->setCurrentItem(item);
    }
    // A job that ended since the last answer changed the streets (or failed,
    // which changes nothing but does no harm to redraw).
    const QSet<QString> endedNames = m_running - running;
    const bool ended = !endedNames.isEmpty();
    m_running = running;
    // The status line said what was started; it says how it ended.
    for (const Region &r : regions) {
        if (!endedNames.contains(r.name))
            continue;
        if (r.state == "ready")
            say(tr("%1 is ready.").arg(r.name));
        else if (r.state == "failed")
            say(tr("%1 failed: %2").arg(r.name, r.error));
    }
    if (running.isEmpty())
        m_poll.stop();
    else if (isVisible())
        m_poll.start();
    if (isVisible())
        emit outlinesChanged(areas);
    if (ended)
        emit regionsChanged();
    if (regions.isEmpty())
        say(tr("No regions: the map has streets nowhere. Import a file or download an area."));
    updateButtons();
}

const Region *MapRegionsWindow::current() const
{
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    return row >= 0 && row < m_regions.size() ? &m_regions[row] : nullptr;
}

const Region *MapRegionsWindow::runningJob() const
{
    const Region *r = current();
    if (r && r->running() && !r->job.isEmpty())
        return r;
    const Region *only = nullptr;
    for (const Region &region : m_regions) {
        if (region.running() && !region.job.isEmpty()) {
            if (only)
                return nullptr;   // which one is for the user to say
            only = &region;
        }
    }
    return only;
}

void MapRegionsWindow::updateButtons()
{
    const Region *r = current();
    m_update->setEnabled(r && r->state == "ready");
    m_delete->setEnabled(r && !r->running());
    m_cancel->setEnabled(runningJob() != nullptr);
}

void MapRegionsWindow::selected()
{
    updateButtons();
    const Region *r = current();
    if (r && !r->bbox.isNull())
        emit areaSelected(r->bbox);
}

void MapRegionsWindow::say(const QString &text)
{
    m_status->setText(text);
}

void MapRegionsWindow::importFile()
{
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Import from File"), QDir::homePath(),
        tr("OpenStreetMap extracts (*.osm.pbf *.pbf)"));
    if (path.isEmpty())
        return;
    m_api->post("/marlu/regions/import", {{"path", QFileInfo(path).absoluteFilePath()}},
                [this](const ServiceApi::Answer &answer) {
        say(answer.ok ? tr("Importing %1.").arg(answer.body.value("name").toString().left(64))
                      : answer.error);
        refresh();
    });
}

void MapRegionsWindow::downloadAt(double lat, double lng)
{
    download(true, lat, lng);
}

void MapRegionsWindow::download(bool atPoint, double lat, double lng)
{
    say(tr("Loading the catalogue…"));
    m_download->setEnabled(false);
    m_api->get("/marlu/catalogue", [=](const ServiceApi::Answer &answer) {
        m_download->setEnabled(true);
        if (!answer.ok) {
            say(answer.error);
            return;
        }
        const QList<CatalogueEntry> entries = CatalogueEntry::listFrom(answer.body);
        if (entries.isEmpty()) {
            say(tr("The catalogue lists no extract to download."));
            return;
        }
        say(QString());
        CatalogueDialog dialog(entries, atPoint ? CatalogueEntry::covering(entries, lat, lng)
                                                : QString(), this);
        if (dialog.exec() != QDialog::Accepted || dialog.chosen().id.isEmpty())
            return;
        const CatalogueEntry chosen = dialog.chosen();
        m_api->post("/marlu/regions/download", {{"url", chosen.pbf.toString()}},
                    [this, chosen](const ServiceApi::Answer &started) {
            say(started.ok ? tr("Downloading %1.").arg(chosen.name) : started.error);
            refresh();
        });
    });
}

void MapRegionsWindow::updateRegion()
{
    const Region *r = current();
    if (!r)
        return;
    const QString name = r->name;
    m_api->post("/marlu/regions/" + pathPart(name) + "/update", {},
                [this, name](const ServiceApi::Answer &answer) {
        if (!answer.ok)
            say(answer.error);
        else if (answer.body.value("uptodate").toBool())
            say(tr("%1 is up to date.").arg(name));
        else
            say(tr("Updating %1.").arg(name));
        refresh();
    });
}

void MapRegionsWindow::deleteRegion()
{
    const Region *r = current();
    if (!r)
        return;
    const QString name = r->name;
    const bool failed = r->state == "failed";
    if (!failed) {
        const auto answer = PlainMessage::question(
            this, tr("Delete Region"),
            tr("Delete the region %1? Its streets, search index and routes are removed from "
               "this computer (%2).").arg(name, SizeText::of(r->size)),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
    }
    m_api->remove("/marlu/regions/" + pathPart(name), [this, name, failed](const ServiceApi::Answer &answer) {
        if (!answer.ok) {
            say(answer.error);
            return;
        }
        say(failed ? QString() : tr("%1 was deleted.").arg(name));
        refresh();
        if (!failed)
            emit regionsChanged();
    });
}

void MapRegionsWindow::cancelJob()
{
    const Region *r = runningJob();
    if (!r)
        return;
    m_api->post("/marlu/jobs/" + pathPart(r->job) + "/cancel", {}, [this](const ServiceApi::Answer &answer) {
        say(answer.ok ? tr("Cancelled.") : answer.error);
        refresh();
    });
}
