#include "masterdata/carrier_edit.h"

#include "masterdata/register.h"
#include "storage/session.h"
#include "ui/input.h"
#include "ui/layout.h"
#include "ui/validation.h"

#include <QLineEdit>
#include <QPushButton>

CarrierEditDialog::CarrierEditDialog(Session& session, EntryMode mode, QWidget* parent)
    : RegisterEditDialog(session, mode, EntrySubject::Carrier, QStringLiteral("carrierEditDialog"), parent)
{
    m_id = addShownField(QStringLiteral("idEdit"), QStringLiteral("IDsz"));
    m_code = addShownField(QStringLiteral("codeEdit"), QStringLiteral("Szkód"));
    m_registration = addField(QStringLiteral("registrationEdit"), QStringLiteral("Rendszám:"));
    m_name = addField(QStringLiteral("nameEdit"), QStringLiteral("Név:"));
    m_address = addField(QStringLiteral("addressEdit"), QStringLiteral("Cim:"));
    m_approval = addField(QStringLiteral("approvalEdit"), QStringLiteral("Jóváhagy.szám:"));

    // The buttons come first, so the dialog opens on "OK".
    setTabOrder(okButton(), cancelButton());
    setTabOrder(cancelButton(), m_registration);
    setTabOrder(m_registration, m_name);
    setTabOrder(m_name, m_address);
    setTabOrder(m_address, m_approval);
    okButton()->setFocus();

    fixAndCentre(this);
    input::enterAsTab(this);
}

void CarrierEditDialog::fillFromList()
{
    masterdata::fillFromCurrentRow(session().carriers().list(), {{m_id, QStringLiteral("IDs")},
                                                {m_code, QStringLiteral("sKod")},
                                                {m_registration, QStringLiteral("sRendszam")},
                                                {m_name, QStringLiteral("sNev")},
                                                {m_address, QStringLiteral("sCim")},
                                                {m_approval, QStringLiteral("sJovaszam")}});
}

void CarrierEditDialog::save()
{
    // A field of blanks only is empty; what is typed is saved as typed.
    if (!validation::requireFilled(this, {{m_name, QStringLiteral("Nincs megadva a név!")},
                                          {m_address, QStringLiteral("Nincs megadva a cim!")},
                                          {m_approval, QStringLiteral("Nincs megadva a Jóváhagyás szám!")}}))
        return;
    static const masterdata::WriteFailures failures{
        .updateFailed = QStringLiteral("Hiba073: Módositás, Update a szállítóban "),
        .insertFailed = QStringLiteral("Hiba072: Újban, INSERT a szallitóban "),
        .stuck = QStringLiteral("Hiba074: az insert vagy update közben a szállitóban!"),
    };
    const Carrier carrier{m_registration->text(), m_name->text(), m_address->text(), m_approval->text()};
    const QString id = m_id->text();
    Carriers& carriers = session().carriers();
    if (masterdata::saveRow(this, session(), masterdata::carrierRegister(session()), mode(), id, m_code->text(),
                            failures, {m_registration, m_name, m_address, m_approval}, [&] {
                                if (mode() == EntryMode::Change)
                                    carriers.update(id, carrier);
                                else
                                    carriers.insert(carrier);
                            }))
        accept();
}
