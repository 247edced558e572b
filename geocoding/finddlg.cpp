#include "finddlg.h"

#include "ui_finddlg.h"

#include "geocoding/placekind.h"
#include "geocoding/recentsearches.h"
#include "geocoding/savedplaces.h"
#include "platform/screenfit.h"
#include "text/plainmessage.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QSet>
#include <QStringListModel>

FindDlg::FindDlg(QNetworkAccessManager *network, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui_FindDlg)
    , m_requester(network, this)
{
    ui->setupUi(this);
    connect(&m_requester, &GeocodeRequester::finish, this, &FindDlg::onFinish);
    setUpTyping();
}

FindDlg::FindDlg(GeocodeRequester &requester, QString text, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui_FindDlg)
    , m_requester(requester.m_network, this)
{
    ui->setupUi(this);
    connect(&m_requester, &GeocodeRequester::finish, this, &FindDlg::onFinish);
    m_rows.clear();
    showResults(requester.m_results);
    ui->lineEdit->setText(text);
    setUpTyping();
}

// Typing replaces the text, earlier searches are offered, and the arrow keys
// and Return reach the candidate list.
void FindDlg::setUpTyping()
{
    ui->lineEdit->selectAll();
    m_recent = new QStringListModel(RecentSearches::withSavedPlaces(RecentSearches::load()), this);
    auto *completer = new QCompleter(m_recent, this);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    ui->lineEdit->setCompleter(completer);
    // Installed after the completer's own filter, so this one sees the keys first.
    completer->popup()->installEventFilter(this);
    ui->lineEdit->installEventFilter(this);
    ui->listWidget->installEventFilter(this);
    ui->pushButton->installEventFilter(this);
    // New text means a new search: a row chosen before no longer answers Return.
    connect(ui->lineEdit, &QLineEdit::textEdited, ui->listWidget, &QListWidget::clearSelection);
}

bool FindDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    QListWidget *list = ui->listWidget;
    QWidget *earlier = ui->lineEdit->completer()->popup();
    // The open list of earlier searches would only close on Return. A completion
    // highlighted there with the arrows is already in the field.
    if (watched == earlier && enter) {
        earlier->hide();
        ui->pushButton->click();
        return true;
    }
    if (watched == ui->lineEdit && (key == Qt::Key_Up || key == Qt::Key_Down) && list->count() > 0) {
        // Taking focus makes the first row current without selecting it; the
        // first arrow selects that row instead of moving past it.
        const bool noneSelected = list->selectedItems().isEmpty();
        list->setFocus();
        if (noneSelected)
            list->setCurrentRow(key == Qt::Key_Down ? 0 : list->count() - 1);
        else
            QCoreApplication::sendEvent(list, event);
        return true;
    }
    // A selected row answers Return as a double-click does, wherever the focus
    // is; the dialog's default button would search again.
    if (enter && watched != earlier) {
        const QListWidgetItem *item = list->currentItem();
        if (item && item->isSelected()) {
            on_listWidget_doubleClicked(list->currentIndex());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FindDlg::setBias(const QString &view, const QString &position)
{
    m_requester.setBias(view, position);
}

FindDlg::~FindDlg()
{
    delete ui;
}

// Each row says what it is when it is not an address; a street the answer
// names twice in the same town (two ways of one name) is listed once.
void FindDlg::showResults(QList<GeocodeAddress> &results)
{
    QSet<QString> streets;
    for (GeocodeAddress &address : results) {
        if (address.m_types.contains("route") && !address.m_types.contains("street_address")) {
            if (streets.contains(address.description()))
                continue;
            streets.insert(address.description());
        }
        m_rows.append(&address);
        ui->listWidget->addItem(PlaceKind::row(address.description(), address.m_types));
    }
}

void FindDlg::showEvent(QShowEvent *event)
{
    // The form's size leaves a result's text scrolling sideways; long ones wrap
    // in a window as large as the screen allows.
    if (!m_sized) {
        m_sized = true;
        ui->listWidget->setWordWrap(true);
        ui->listWidget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        resize(size().expandedTo(QSize(640, 400)).boundedTo(ScreenFit::room(this)));
    }
    QDialog::showEvent(event);
}

void FindDlg::on_listWidget_doubleClicked(QModelIndex index)
{
    const int row = index.row();
    if (row < 0 || row >= m_rows.size())
        return;
    m_selectedAddress = *m_rows.at(row);
    accept();
}

void FindDlg::on_listWidget_clicked(QModelIndex index)
{
    Q_UNUSED(index);
}

void FindDlg::on_pushButton_clicked()
{
    if (ui->lineEdit->text().trimmed().isEmpty()) {
        QMessageBox::information(this, tr("Find Address"), tr("Type a place to search for."), QMessageBox::Ok);
        return;
    }
    m_recent->setStringList(RecentSearches::withSavedPlaces(RecentSearches::add(ui->lineEdit->text())));
    ui->pushButton->setEnabled(false);
    m_rows.clear();
    ui->listWidget->clear();
    // A saved place's name is answered here: the service does not know it.
    if (const GeocodeAddress *saved = SavedPlaces::find(ui->lineEdit->text())) {
        m_requester.cancel();
        m_requester.m_results = {*saved};
        onFinish(true, QString());
        return;
    }
    m_requester.query(ui->lineEdit->text());
}

void FindDlg::onFinish(bool success, QString error)
{
    ui->pushButton->setEnabled(true);
    if (!success) {
        PlainMessage::warning(this, tr("Find Address"), error);
        return;
    }
    showResults(m_requester.m_results);
}

void FindDlg::changeEvent(QEvent *e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
}
