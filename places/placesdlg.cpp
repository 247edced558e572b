#include "placesdlg.h"

#include "directions/tripfigures.h"
#include "places/favouritestore.h"
#include "text/plainmessage.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>
#include <algorithm>

PlacesDlg::PlacesDlg(FavouriteStore *store, bool hasHere, double hereLat, double hereLng, QWidget *parent)
    : QDialog(parent)
    , m_store(store)
    , m_hasHere(hasHere)
    , m_hereLat(hereLat)
    , m_hereLng(hereLng)
{
    setWindowTitle(tr("Places"));
    auto *layout = new QVBoxLayout(this);
    m_sortCombo = new QComboBox(this);
    m_sortCombo->setObjectName("sortCombo");
    m_sortCombo->addItems({tr("Sorted by name"), tr("Sorted by distance")});
    m_sortCombo->setCurrentIndex(hasHere ? QSettings().value("PlacesOrder", 0).toInt() == 1 : 0);
    m_sortCombo->setEnabled(hasHere);
    layout->addWidget(m_sortCombo);
    m_list = new QListWidget(this);
    m_list->setObjectName("placesList");
    layout->addWidget(m_list, 1);
    auto *buttons = new QHBoxLayout;
    m_showBtt = new QPushButton(tr("Show"), this);
    m_routeBtt = new QPushButton(tr("Route Here"), this);
    m_renameBtt = new QPushButton(tr("Rename"), this);
    m_deleteBtt = new QPushButton(tr("Delete"), this);
    m_showBtt->setObjectName("showBtt");
    m_routeBtt->setObjectName("routeBtt");
    m_renameBtt->setObjectName("renameBtt");
    m_deleteBtt->setObjectName("deleteBtt");
    for (QPushButton *button : {m_showBtt, m_routeBtt, m_renameBtt, m_deleteBtt}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);

    connect(m_sortCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this](int index) {
        QSettings().setValue("PlacesOrder", index);
        fill();
    });
    connect(m_list, &QListWidget::currentRowChanged, this, &PlacesDlg::updateButtons);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { choose(Show); });
    connect(m_showBtt, &QPushButton::clicked, this, [this] { choose(Show); });
    connect(m_routeBtt, &QPushButton::clicked, this, [this] { choose(RouteHere); });
    connect(m_renameBtt, &QPushButton::clicked, this, &PlacesDlg::onRename);
    connect(m_deleteBtt, &QPushButton::clicked, this, &PlacesDlg::onDelete);
    fill();
}

void PlacesDlg::fill()
{
    const QList<Favourite> &places = m_store->favourites();
    QList<int> order;
    for (int i = 0; i < places.size(); ++i) {
        if (places[i].kind == Favourite::Place)
            order << i;
    }
    const bool byDistance = m_hasHere && m_sortCombo->currentIndex() == 1;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        if (byDistance)
            return places[a].distanceTo(m_hereLat, m_hereLng) < places[b].distanceTo(m_hereLat, m_hereLng);
        return places[a].name.localeAwareCompare(places[b].name) < 0;
    });
    // Home and Work always head the list, set or not.
    order.prepend(m_store->indexOf(Favourite::Work));
    order.prepend(m_store->indexOf(Favourite::Home));

    const int keep = m_list->currentRow();
    m_list->clear();
    for (int row = 0; row < order.size(); ++row) {
        const int index = order[row];
        QString text;
        if (index < 0) {
            text = (row == 0 ? tr("Home") : tr("Work")) + "\n" + tr("not set: save a place as this");
        } else {
            const Favourite &place = places[index];
            QStringList second;
            second << (place.address.isEmpty() ? place.coordinates() : place.address);
            if (m_hasHere)
                second << TripFigures::distance(qint64(place.distanceTo(m_hereLat, m_hereLng)));
            text = place.name + "\n" + second.join(QString::fromUtf8(" · "));
        }
        auto *item = new QListWidgetItem(text, m_list);
        item->setData(Qt::UserRole, index);
    }
    m_list->setCurrentRow(qBound(-1, keep, m_list->count() - 1));
    updateButtons();
}

int PlacesDlg::selectedIndex() const
{
    const QListWidgetItem *item = m_list->currentItem();
    return item ? item->data(Qt::UserRole).toInt() : -1;
}

void PlacesDlg::updateButtons()
{
    const bool set = selectedIndex() >= 0;
    for (QPushButton *button : {m_showBtt, m_routeBtt, m_renameBtt, m_deleteBtt})
        button->setEnabled(set);
}

void PlacesDlg::choose(Action action)
{
    const int index = selectedIndex();
    if (index < 0)
        return;
    m_chosen = m_store->favourites().at(index);
    m_action = action;
    accept();
}

void PlacesDlg::onRename()
{
    const int index = selectedIndex();
    if (index < 0)
        return;
    bool ok = false;
    const QString name = QInputDialog::getText(this, tr("Rename"), tr("Name"), QLineEdit::Normal,
                                               m_store->favourites().at(index).name, &ok);
    if (!ok)
        return;
    if (!m_store->rename(index, name))
        PlainMessage::warning(this, tr("Places"), m_store->lastError());
    fill();
}

void PlacesDlg::onDelete()
{
    const int index = selectedIndex();
    if (index < 0)
        return;
    QMessageBox box(QMessageBox::Question, tr("Places"), QString(), QMessageBox::Yes | QMessageBox::No, this);
    box.setTextFormat(Qt::PlainText);
    box.setText(tr("Delete \"%1\"?").arg(m_store->favourites().at(index).name));
    if (box.exec() != QMessageBox::Yes)
        return;
    if (!m_store->remove(index))
        PlainMessage::warning(this, tr("Places"), m_store->lastError());
    fill();
}
