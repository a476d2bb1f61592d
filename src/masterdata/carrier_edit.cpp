#include "masterdata/carrier_edit.h"

#include "core/datamodule.h"
#include "masterdata/register.h"
#include "ui/input.h"
#include "ui/layout.h"
#include "ui/validation.h"

#include <QLineEdit>
#include <QPushButton>

CarrierEditDialog::CarrierEditDialog(EntryMode mode, QWidget* parent)
    : RegisterEditDialog(mode, EntrySubject::Carrier, QStringLiteral("Form7"), parent)
{
    m_id = addShownField(QStringLiteral("Edit1"), QStringLiteral("IDsz"));
    m_code = addShownField(QStringLiteral("Edit2"), QStringLiteral("Szkód"));
    m_registration = addField(QStringLiteral("Edit3"), QStringLiteral("Rendszám:"));
    m_name = addField(QStringLiteral("Edit4"), QStringLiteral("Név:"));
    m_address = addField(QStringLiteral("Edit5"), QStringLiteral("Cim:"));
    m_approval = addField(QStringLiteral("Edit6"), QStringLiteral("Jóváhagy.szám:"));

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
    masterdata::fillFromCurrentRow(Data->ZQ30, {{m_id, QStringLiteral("IDs")},
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
    static const masterdata::Writes writes{
        .update = {QStringLiteral("UPDATE szallito           "), QStringLiteral("  SET  srendszam = :p2,   "),
                   QStringLiteral("       sNev      = :p3,   "), QStringLiteral("       sCim      = :p4,   "),
                   QStringLiteral("       sJovaszam = :p5    "), QStringLiteral(" WHERE IDs       = :p0    ")},
        .updateFailed = QStringLiteral("Hiba073: Módositás, Update a szállítóban "),
        .insert = {QStringLiteral("INSERT INTO szallito (srendszam, sNev, sCim, sJovaszam ) "),
                   QStringLiteral("       VALUES        (      :p2,  :p3,  :p4,       :p5 ) ")},
        .insertFailed = QStringLiteral("Hiba072: Újban, INSERT a szallitóban "),
        .stuck = QStringLiteral("Hiba074: az insert vagy update közben a szállitóban!"),
    };
    if (masterdata::saveRow(this, masterdata::carrierRegister(), mode(), m_id->text(), m_code->text(), writes,
                            {{QStringLiteral("p2"), m_registration},
                             {QStringLiteral("p3"), m_name},
                             {QStringLiteral("p4"), m_address},
                             {QStringLiteral("p5"), m_approval}}))
        accept();
}
