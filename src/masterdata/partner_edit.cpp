#include "masterdata/partner_edit.h"

#include "masterdata/register.h"
#include "storage/session.h"
#include "ui/input.h"
#include "ui/layout.h"
#include "ui/validation.h"

#include <QCheckBox>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>

PartnerEditDialog::PartnerEditDialog(Session& session, EntryMode mode, QWidget* parent)
    : RegisterEditDialog(session, mode, EntrySubject::Partner, QStringLiteral("partnerEditDialog"), parent)
{
    m_id = addShownField(QStringLiteral("idEdit"), QStringLiteral("IDf"));
    m_code = addShownField(QStringLiteral("codeEdit"), QStringLiteral("Fkod"));
    m_ownerName = addField(QStringLiteral("ownerNameEdit"), QStringLiteral("Tulajdonos név:"));
    m_ownerAddress = addField(QStringLiteral("ownerAddressEdit"), QStringLiteral("Cim:"));
    m_breedingCode = addField(QStringLiteral("breedingCodeEdit"), QStringLiteral("Tenyészkód"));
    m_originName = addField(QStringLiteral("originNameEdit"), QStringLiteral("Származási hely név:"));
    m_originAddress = addField(QStringLiteral("originAddressEdit"), QStringLiteral("Cim"));
    m_originIsOwner = new QCheckBox(QStringLiteral("Tulajdonos cim = származási cim"), this);
    m_originIsOwner->setObjectName(QStringLiteral("originIsOwnerCheck"));
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
    masterdata::fillFromCurrentRow(session().partners().list(), {{m_id, QStringLiteral("IDf")},
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
    static const masterdata::WriteFailures failures{
        .updateFailed = QStringLiteral("Hiba054: Módositás, Update a feladóban "),
        .insertFailed = QStringLiteral("Hiba53: Újban, INSERT a feladóban "),
        .stuck = QStringLiteral("Hiba055: az insert vagy update közben a feladóban!"),
    };
    const Partner partner{m_ownerName->text(), m_ownerAddress->text(), m_breedingCode->text(), m_originName->text(),
                          m_originAddress->text()};
    const QString id = m_id->text();
    Partners& partners = session().partners();
    if (masterdata::saveRow(this, session(), masterdata::partnerRegister(session()), mode(), id, m_code->text(),
                            failures, {m_ownerName, m_ownerAddress, m_breedingCode, m_originName, m_originAddress},
                            [&] {
                                if (mode() == EntryMode::Change)
                                    partners.update(id, partner);
                                else
                                    partners.insert(partner);
                            }))
        accept();
}
