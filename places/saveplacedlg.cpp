#include "saveplacedlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "places/favouritestore.h"

SavePlaceDlg::SavePlaceDlg(const QList<Favourite> &choices, const QStringList &labels, QWidget *parent)
    : QDialog(parent)
    , m_choices(choices)
{
    setWindowTitle(tr("Save Place"));
    auto *form = new QFormLayout(this);
    m_whichCombo = new QComboBox(this);
    m_whichCombo->setObjectName("whichCombo");
    m_whichCombo->addItems(labels);
    form->addRow(tr("Place"), m_whichCombo);
    m_addressLbl = new QLabel(this);
    m_addressLbl->setTextFormat(Qt::PlainText);
    m_addressLbl->setWordWrap(true);
    form->addRow(QString(), m_addressLbl);
    m_nameEdit = new QLineEdit(this);
    m_nameEdit->setObjectName("nameEdit");
    m_nameEdit->setMaxLength(FavouriteStore::MaxNameLength);
    form->addRow(tr("Name"), m_nameEdit);
    m_kindCombo = new QComboBox(this);
    m_kindCombo->setObjectName("kindCombo");
    m_kindCombo->addItems({tr("A place"), tr("Home"), tr("Work")});
    form->addRow(tr("Save as"), m_kindCombo);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    QPushButton *save = buttons->button(QDialogButtonBox::Save);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_nameEdit, &QLineEdit::textChanged, this, [this, save](const QString &text) {
        save->setEnabled(!FavouriteStore::cleanName(text).isEmpty() && !m_choices.isEmpty());
    });
    connect(m_whichCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &SavePlaceDlg::onChoice);
    connect(m_kindCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &SavePlaceDlg::onKind);
    onChoice(m_whichCombo->currentIndex());
    save->setEnabled(!FavouriteStore::cleanName(m_nameEdit->text()).isEmpty() && !m_choices.isEmpty());
}

void SavePlaceDlg::onChoice(int index)
{
    if (index < 0 || index >= m_choices.size())
        return;
    const Favourite &choice = m_choices[index];
    m_addressLbl->setText(choice.address.isEmpty() ? choice.coordinates() : choice.address);
    if (m_nameEdit->text() == m_suggested) {
        m_suggested = choice.name;
        m_nameEdit->setText(m_suggested);
    }
}

void SavePlaceDlg::onKind(int index)
{
    // Home and Work are named so; a name the user typed stays.
    const QString fixed[] = {QString(), tr("Home"), tr("Work")};
    if (m_nameEdit->text() == m_suggested || m_nameEdit->text() == tr("Home") || m_nameEdit->text() == tr("Work")) {
        m_suggested = index == 0 ? m_choices.value(m_whichCombo->currentIndex()).name : fixed[index];
        m_nameEdit->setText(m_suggested);
    }
}

Favourite SavePlaceDlg::place() const
{
    Favourite place = m_choices.value(m_whichCombo->currentIndex());
    place.name = FavouriteStore::cleanName(m_nameEdit->text());
    place.kind = Favourite::Kind(m_kindCombo->currentIndex());
    return place;
}
