#include "finddlg.h"

#include "ui_finddlg.h"

#include "geocoding/recentsearches.h"

#include <QCompleter>
#include <QEvent>
#include <QMessageBox>
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

// Typing replaces the text, and earlier searches are offered.
void FindDlg::setUpTyping()
{
    ui->lineEdit->selectAll();
    m_recent = new QStringListModel(RecentSearches::load(), this);
    auto *completer = new QCompleter(m_recent, this);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    ui->lineEdit->setCompleter(completer);
}

FindDlg::~FindDlg()
{
    delete ui;
}

void FindDlg::showResults(QList<GeocodeAddress> &results)
{
    for (GeocodeAddress &address : results) {
        m_rows.append(&address);
        ui->listWidget->addItem(address.description());
    }
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
        QMessageBox::information(this, "Find Address", tr("Type a place to search for."), QMessageBox::Ok);
        return;
    }
    m_recent->setStringList(RecentSearches::add(ui->lineEdit->text()));
    ui->pushButton->setEnabled(false);
    m_rows.clear();
    ui->listWidget->clear();
    m_requester.query(ui->lineEdit->text());
}

void FindDlg::onFinish(bool success, QString error)
{
    ui->pushButton->setEnabled(true);
    if (!success) {
        QMessageBox::warning(this, "Find Address", error, QMessageBox::Ok);
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
