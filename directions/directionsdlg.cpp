#include "directionsdlg.h"

#include "ui_directionsdlg.h"

#include <QEvent>

namespace {

// What the services read; the item texts are for people and get translated.
void setWireValues(QComboBox *combo, const QStringList &values)
{
    for (int i = 0; i < values.size() && i < combo->count(); ++i)
        combo->setItemData(i, values.at(i));
}

} // namespace

DirectionsDlg::DirectionsDlg(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui_DirectionsDlg)
{
    ui->setupUi(this);
    setWireValues(ui->travelModelCombo, {"driving", "walking", "bicycling"});
    setWireValues(ui->unitsCombo, {"metric", "imperial"});
    connect(ui->okBtt, &QPushButton::clicked, this, &QDialog::accept);
}

DirectionsDlg::~DirectionsDlg()
{
    delete ui;
}

QString DirectionsDlg::startAddress() const
{
    return ui->startEdit->text();
}

QString DirectionsDlg::destinationAddress() const
{
    return ui->destinationEdit->text();
}

void DirectionsDlg::setStartAddress(QString address)
{
    ui->startEdit->setText(address);
}

void DirectionsDlg::setDestinationAddress(QString address)
{
    ui->destinationEdit->setText(address);
}

void DirectionsDlg::setStartAddressToCurrentPos(bool currentPos)
{
    ui->startEdit->setVisible(!currentPos);
    ui->startLbl->setVisible(!currentPos);
}

bool DirectionsDlg::showAlternatives() const
{
    return ui->alternativesCheck->isChecked();
}

QString DirectionsDlg::mode() const
{
    return ui->travelModelCombo->currentData().toString();
}

QString DirectionsDlg::units() const
{
    return ui->unitsCombo->currentData().toString();
}

QStringList DirectionsDlg::avoid() const
{
    QStringList avoided;
    if (ui->avoidHighwaysCheck->isChecked())
        avoided << QStringLiteral("highways");
    if (ui->avoidTollsCheck->isChecked())
        avoided << QStringLiteral("tolls");
    return avoided;
}

void DirectionsDlg::changeEvent(QEvent *e)
{
    QDialog::changeEvent(e);
    if (e->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        // Like the address fields, the choices start over with the new language;
        // the form only renames the combo items in place.
        ui->travelModelCombo->setCurrentIndex(0);
        ui->unitsCombo->setCurrentIndex(0);
    }
}
