#include "mapservicesdialog.h"

#include "regions/serviceapi.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// One choice of a kind: how the service names its back-end, the URL it
// starts from ("" for this computer; editable when custom) and what to know.
struct Preset {
    const char *kind;
    const char *label;
    const char *backend;
    const char *url;
    bool custom;
    const char *note;
};

const char *const OsmTiles = "https://tile.openstreetmap.org/{z}/{x}/{y}.png";
const char *const OsmAttribution = "© OpenStreetMap contributors";

const Preset Presets[] = {
    {"tiles", QT_TRANSLATE_NOOP("MapServicesDialog", "Offline (this computer)"), "offline", "", false,
     QT_TRANSLATE_NOOP("MapServicesDialog", "Tiles are drawn by the map service from your regions.")},
    {"tiles", QT_TRANSLATE_NOOP("MapServicesDialog", "OpenStreetMap standard layer"), "online", OsmTiles, false,
     QT_TRANSLATE_NOOP("MapServicesDialog", "Run by volunteers: light use only, no bulk downloading "
                       "(tile usage policy: https://operations.osmfoundation.org/policies/tiles/). "
                       "© OpenStreetMap contributors.")},
    {"tiles", QT_TRANSLATE_NOOP("MapServicesDialog", "Custom tile server"), "online", "", true,
     QT_TRANSLATE_NOOP("MapServicesDialog", "A URL template with {z}, {x} and {y}; follow the "
                       "server's usage policy and name its data's source.")},
    {"geocoding", QT_TRANSLATE_NOOP("MapServicesDialog", "Offline (this computer)"), "offline", "", false,
     QT_TRANSLATE_NOOP("MapServicesDialog", "Searches the world's places and your regions' streets.")},
    {"geocoding", "Nominatim", "nominatim", "https://nominatim.openstreetmap.org", false,
     QT_TRANSLATE_NOOP("MapServicesDialog", "At most one search a second, no automated bulk searches "
                       "(https://operations.osmfoundation.org/policies/nominatim/). Your searches "
                       "go to the OpenStreetMap Foundation. © OpenStreetMap contributors.")},
    {"geocoding", "Photon", "photon", "https://photon.komoot.io", false,
     QT_TRANSLATE_NOOP("MapServicesDialog", "A public demo server for light use, run by komoot; your "
                       "searches go there. © OpenStreetMap contributors.")},
    {"geocoding", QT_TRANSLATE_NOOP("MapServicesDialog", "Custom Nominatim server"), "nominatim", "", true,
     QT_TRANSLATE_NOOP("MapServicesDialog", "The base URL of a Nominatim server.")},
    {"geocoding", QT_TRANSLATE_NOOP("MapServicesDialog", "Custom Photon server"), "photon", "", true,
     QT_TRANSLATE_NOOP("MapServicesDialog", "The base URL of a Photon server.")},
    {"directions", QT_TRANSLATE_NOOP("MapServicesDialog", "Offline (this computer)"), "offline", "", false,
     QT_TRANSLATE_NOOP("MapServicesDialog", "Routes inside your regions.")},
    {"directions", QT_TRANSLATE_NOOP("MapServicesDialog", "OSRM demo server"), "osrm", "https://router.project-osrm.org", false,
     QT_TRANSLATE_NOOP("MapServicesDialog", "A demo server for light, non-commercial use, car routes "
                       "only; your start and destination go there. © OpenStreetMap contributors.")},
    {"directions", QT_TRANSLATE_NOOP("MapServicesDialog", "Custom OSRM server"), "osrm", "", true,
     QT_TRANSLATE_NOOP("MapServicesDialog", "The base URL of an OSRM server.")},
};

bool isHttpUrl(const QString &text)
{
    // Tolerant: a tile template's {z}, {x} and {y} are not URL characters.
    if (text.contains(QRegularExpression("\\s")))
        return false;
    const QUrl url(text, QUrl::TolerantMode);
    return url.isValid() && (url.scheme() == "http" || url.scheme() == "https") && !url.host().isEmpty();
}

}

MapServicesDialog::MapServicesDialog(QNetworkAccessManager *network, const QUrl &service,
                                     QWidget *parent)
    : QDialog(parent)
    , m_api(new ServiceApi(network, service, this))
    , m_status(new QLabel(this))
{
    setWindowTitle(tr("Map Services"));
    auto *outer = new QVBoxLayout(this);
    // The notes are to be read whole: they wrap, and on a small screen the
    // three kinds scroll rather than being cut.
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName("servicesScroll");
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *content = new QWidget(scroll);
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    scroll->setWidget(content);
    outer->addWidget(scroll, 1);
    auto group = [&](const QString &title, const char *kind) {
        auto *box = new QGroupBox(title, content);
        auto *form = new QVBoxLayout(box);
        Row row{new QComboBox(box), new QLineEdit(box), new QLabel(box)};
        row.preset->setObjectName(QString(kind) + "Preset");
        row.url->setObjectName(QString(kind) + "Url");
        row.note->setWordWrap(true);
        row.note->setTextFormat(Qt::PlainText);
        for (int i = 0; i < int(sizeof Presets / sizeof *Presets); ++i)
            if (qstrcmp(Presets[i].kind, kind) == 0)
                row.preset->addItem(tr(Presets[i].label), i);
        form->addWidget(row.preset);
        form->addWidget(row.url);
        form->addWidget(row.note);
        layout->addWidget(box);
        connect(row.preset, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
                [this, row] { presetChosen(row); });
        presetChosen(row);
        return row;
    };
    m_tiles = group(tr("Map tiles"), "tiles");
    m_search = group(tr("Address search"), "geocoding");
    m_routes = group(tr("Routes"), "directions");
    m_status->setObjectName("status");
    m_status->setWordWrap(true);
    m_status->setTextFormat(Qt::PlainText);
    layout->addStretch(1);
    outer->addWidget(m_status);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    m_save = buttons->button(QDialogButtonBox::Save);
    m_save->setEnabled(false);   // until the service said what it uses
    connect(buttons, &QDialogButtonBox::accepted, this, &MapServicesDialog::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    outer->addWidget(buttons);
    resize(640, 600);

    m_status->setText(tr("Asking the map service…"));
    m_api->get("/marlu/services", [this](const ServiceApi::Answer &answer) {
        m_status->setText(answer.ok ? QString() : answer.error);
        if (answer.ok) {
            showState(answer.body);
            m_save->setEnabled(true);
        }
    });
}

void MapServicesDialog::presetChosen(const Row &row)
{
    const Preset &p = Presets[row.preset->currentData().toInt()];
    row.note->setText(tr(p.note));
    row.url->setReadOnly(!p.custom);
    row.url->setVisible(qstrcmp(p.backend, "offline") != 0);
    if (!p.custom)
        row.url->setText(QString::fromUtf8(p.url));
}

// Picks the preset the service's state matches; an unknown URL is a custom one.
void MapServicesDialog::showState(const QJsonObject &state)
{
    auto pick = [](const Row &row, const QString &backend, const QString &url) {
        int custom = -1;
        for (int i = 0; i < row.preset->count(); ++i) {
            const Preset &p = Presets[row.preset->itemData(i).toInt()];
            if (QString::fromUtf8(p.backend) != backend)
                continue;
            if (p.custom) {
                custom = i;
            } else if (backend == "offline" || QString::fromUtf8(p.url) == url) {
                row.preset->setCurrentIndex(i);
                return;
            }
        }
        if (custom >= 0) {
            row.preset->setCurrentIndex(custom);
            row.url->setText(url.left(500));
        }
    };
    const QJsonObject tiles = state.value("tiles").toObject();
    pick(m_tiles, tiles.value("mode").toString(), tiles.value("url").toString());
    const QJsonObject search = state.value("geocoding").toObject();
    pick(m_search, search.value("backend").toString(), search.value("url").toString());
    const QJsonObject routes = state.value("directions").toObject();
    pick(m_routes, routes.value("backend").toString(), routes.value("url").toString());
}

QJsonObject MapServicesDialog::choice() const
{
    auto of = [](const Row &row) { return Presets[row.preset->currentData().toInt()]; };
    const Preset tiles = of(m_tiles), search = of(m_search), routes = of(m_routes);
    QJsonObject t{{"mode", tiles.backend}};
    if (qstrcmp(tiles.backend, "online") == 0) {
        t.insert("url", m_tiles.url->text().trimmed());
        t.insert("attribution", tiles.custom ? QString() : QString::fromUtf8(OsmAttribution));
    }
    QJsonObject g{{"backend", search.backend}};
    if (qstrcmp(search.backend, "offline") != 0)
        g.insert("url", m_search.url->text().trimmed());
    QJsonObject d{{"backend", routes.backend}};
    if (qstrcmp(routes.backend, "offline") != 0)
        d.insert("url", m_routes.url->text().trimmed());
    return {{"tiles", t}, {"geocoding", g}, {"directions", d}};
}

void MapServicesDialog::save()
{
    const QJsonObject chosen = choice();
    for (const char *kind : {"geocoding", "directions"}) {
        const QJsonObject o = chosen[kind].toObject();
        if (o.value("backend") != "offline" && !isHttpUrl(o.value("url").toString())) {
            m_status->setText(tr("A server's URL must start with http:// or https://."));
            return;
        }
    }
    m_save->setEnabled(false);
    const QJsonObject tiles = chosen["tiles"].toObject();
    if (tiles.value("mode") != "online") {
        put(chosen);
        return;
    }
    // Which templates the map can fill is the service's rule; it is asked, not repeated here.
    m_status->setText(tr("Checking the tile server's URL…"));
    m_api->post("/marlu/services/tiles/check", {{"url", tiles.value("url")}},
                [this, chosen](const ServiceApi::Answer &answer) {
        if (answer.ok && answer.body.value("usable").toBool()) {
            put(chosen);
            return;
        }
        m_save->setEnabled(true);
        m_status->setText(answer.ok ? answer.body.value("error").toString().left(500)
                                    : answer.error);
    });
}

void MapServicesDialog::put(const QJsonObject &chosen)
{
    m_status->setText(tr("Saving…"));
    m_api->put("/marlu/services", chosen, [this](const ServiceApi::Answer &answer) {
        m_save->setEnabled(true);
        if (!answer.ok) {
            m_status->setText(answer.error);
            return;
        }
        emit changed();
        accept();
    });
}
