#include "masterdata/partner_edit.h"

#include "core/datamodule.h"
#include "masterdata/register.h"
#include "ui/input.h"
#include "ui/layout.h"
#include "ui/validation.h"

#include <QCheckBox>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>

PartnerEditDialog::PartnerEditDialog(EntryMode mode, QWidget* parent)
    : RegisterEditDialog(mode, EntrySubject::Partner, QStringLiteral("Form5"), parent)
{
    m_id = addShownField(QStringLiteral("Edit1"), QStringLiteral("IDf"));
    m_code = addShownField(QStringLiteral("Edit2"), QStringLiteral("Fkod"));
    m_ownerName = addField(QStringLiteral("Edit3"), QStringLiteral("Tulajdonos név:"));
    m_ownerAddress = addField(QStringLiteral("Edit5"), QStringLiteral("Cim:"));
    m_breedingCode = addField(QStringLiteral("Edit4"), QStringLiteral("Tenyészkód"));
    m_originName = addField(QStringLiteral("Edit6"), QStringLiteral("Származási hely név:"));
    m_originAddress = addField(QStringLiteral("Edit7"), QStringLiteral("Cim"));
    m_originIsOwner = new QCheckBox(QStringLiteral("Tulajdonos cim = származási cim"), this);
    m_originIsOwner->setObjectName(QStringLiteral("CheckBox1"));
    m_originIsOwner->setChecked(true);
    layout()->addWidget(m_originIsOwner);

    setTabOrder(m_ownerName, m_ownerAddress);
    setTabOrder(m_ownerAddress, m_breedingCode);
    setTabOrder(m_breedingCode, m_originName);
    setTabOrder(m_originName, m_originAddress);
    setTabOrder(m_originAddress, okButton());
    setTabOrder(okButton(), cancelButton());
    setTabOrder(cancelButton(), m_originIsOwner);
    m_ownerName->setFocus();

    input::onExit(m_ownerName, [this] { copyOwnerNameToOrigin(); });
    input::onExit(m_ownerAddress, [this] { copyOwnerAddressToOrigin(); });

    fixAndCentre(this);
    input::enterAsTab(this);
}

void PartnerEditDialog::fillFromList()
{
    masterdata::fillFromCurrentRow(Data->ZQ40, {{m_id, QStringLiteral("IDf")},
                                                {m_code, QStringLiteral("fKod")},
                                                {m_ownerName, QStringLiteral("fNev")},
                                                {m_breedingCode, QStringLiteral("fTenykod")},
                                                {m_ownerAddress, QStringLiteral("fCim")},
                                                {m_originName, QStringLiteral("fszNev")},
                                                {m_originAddress, QStringLiteral("fszCim")}});
}

// Name and address alike go over to the place of origin while the box is ticked.
void PartnerEditDialog::copyOwnerNameToOrigin()
{
    if (m_originIsOwner->isChecked())
        m_originName->setText(m_ownerName->text());
}

void PartnerEditDialog::copyOwnerAddressToOrigin()
{
    if (m_originIsOwner->isChecked())
        m_originAddress->setText(m_ownerAddress->text());
}

void PartnerEditDialog::save()
{
    // A field of blanks only is empty; what is typed is saved as typed.
    if (!validation::requireFilled(this, {{m_ownerName, QStringLiteral("Nincs megadva a neve!")},
                                          {m_ownerAddress, QStringLiteral("Nincs megadva a cim!")},
                                          {m_breedingCode, QStringLiteral("Nincs megadva a tenyészkód!")},
                                          {m_originName, QStringLiteral("Nincs megadva a származási név!")},
                                          {m_originAddress, QStringLiteral("Nincs megadva a származási cim!")}}))
        return;
    static const masterdata::Writes writes{
        .update = {QStringLiteral("UPDATE felado            "), QStringLiteral("  SET  fNev     = :p2,   "),
                   QStringLiteral("       fCim     = :p3,   "), QStringLiteral("       fTenykod = :p4,   "),
                   QStringLiteral("       fszNev   = :p5,   "), QStringLiteral("       fszCim   = :p6    "),
                   QStringLiteral(" WHERE IDf      = :p0    ")},
        .updateFailed = QStringLiteral("Hiba054: Módositás, Update a feladóban "),
        .insert = {QStringLiteral("INSERT INTO felado ( fNev, fCim, fTenykod, fszNev, fszCim ) "),
                   QStringLiteral("     VALUES        (  :p2,  :p3,      :p4,    :p5,    :p6 ) ")},
        .insertFailed = QStringLiteral("Hiba53: Újban, INSERT a feladóban "),
        .stuck = QStringLiteral("Hiba055: az insert vagy update közben a feladóban!"),
    };
    if (masterdata::saveRow(this, masterdata::partnerRegister(), mode(), m_id->text(), m_code->text(), writes,
                            {{QStringLiteral("p2"), m_ownerName},
                             {QStringLiteral("p3"), m_ownerAddress},
                             {QStringLiteral("p4"), m_breedingCode},
                             {QStringLiteral("p5"), m_originName},
                             {QStringLiteral("p6"), m_originAddress}}))
        accept();
}
