#include "masterdata/partner_list.h"

#include "core/datamodule.h"
#include "masterdata/partner_edit.h"

namespace {

masterdata::ListScreen partnerList()
{
    const masterdata::Register reg = masterdata::partnerRegister();
    return {
        .objectName = QStringLiteral("Form4"),
        .title = QStringLiteral("Feladó-Vevö"),
        .headingName = QStringLiteral("Label6"),
        .headingAtStart = QStringLiteral("Feladó - vevö lista, név szerint"),
        .headingOnShow = QStringLiteral("A lista, \"Név\" szerint"),
        .headingAfterWrite = QStringLiteral("A lista, \"Kód\" szerint"),
        .source = &Data->DS40,
        .columns = {{QStringLiteral("fnev"), QStringLiteral("Név")},
                    {QStringLiteral("fcim"), QStringLiteral("Cim")},
                    {QStringLiteral("ftenykod"), QStringLiteral("Tenyésztésikód")},
                    {QStringLiteral("fsznev"), QStringLiteral("Sz.név")},
                    {QStringLiteral("fszcim"), QStringLiteral("Sz.cim")},
                    {QStringLiteral("fkod"), QStringLiteral("Kód")},
                    {QStringLiteral("IDf"), QStringLiteral("ID")}},
        .gridMinimum = QSize(720, 260),
        // "Kód:" is followed by the identifier and the code.
        .details = {{QStringLiteral("Tulajdonos/feladó neve:"), {{QStringLiteral("fnev")}}},
                    {QStringLiteral("Cime:"), {{QStringLiteral("fcim")}}},
                    {QStringLiteral("Tenyészkódja:"), {{QStringLiteral("ftenykod")}}},
                    {QStringLiteral("Származási hely:"), {{QStringLiteral("fsznev")}}},
                    {QStringLiteral("cime:"), {{QStringLiteral("fszcim")}}},
                    {QStringLiteral("Kód:"),
                     {{QStringLiteral("IDf"), QStringLiteral("ID")}, {QStringLiteral("fkod")}}}},
        // "Tenyésztésikód", "Sz.név", "Sz.cim" and "ID" do not sort.
        .sortOrders = {{0, QStringLiteral("       ORDER BY fnev, fcim "),
                        QStringLiteral("Lista sorrend: név, cim szerint")},
                       {1, QStringLiteral("       ORDER BY fcim, fnev  "),
                        QStringLiteral("Lista sorrend: cim, név szerint")},
                       {5, QStringLiteral("       ORDER BY fkod  "), QStringLiteral("Lista sorrend: kód szerint")}},
        // The screen's own load is the same statement in three lines.
        .loadLines = {QStringLiteral("SELECT fnev, fcim, ftenykod, fsznev, fszcim, fkod, IDf  "),
                      QStringLiteral("       FROM felado "), QStringLiteral("       ORDER BY fnev, fcim ")},
        .reg = reg,
        .deletion = {.incomingUse = {QStringLiteral("SELECT Bfkod, count(Bfkod) as dbbe "),
                                     QStringLiteral("  FROM beszall      "), QStringLiteral("  WHERE Bfkod = :p1 "),
                                     QStringLiteral("  GROUP BY Bfkod    ")},
                     .outgoingUse = {QStringLiteral("SELECT Kfkod, count(Kfkod) as dbki "),
                                     QStringLiteral("  FROM kiszall      "), QStringLiteral("  WHERE Kfkod = :p1 "),
                                     QStringLiteral("  GROUP BY Kfkod    ")},
                     .deleteLines = {QStringLiteral("DELETE FROM felado      "), QStringLiteral("  WHERE fkod = :p1 ")},
                     .deleted = QStringLiteral("A feladó-vevö sor törlölve!"),
                     .failed = QStringLiteral("Hiba41: Feladó DELETE törlésekor")},
        .unreadableRow = QStringLiteral("Hiba52 a módosítás Edit-ben való megjelenitésekor!"),
    };
}

}  // namespace

PartnerListDialog::PartnerListDialog(QWidget* parent) : RegisterListDialog(partnerList(), parent) {}

std::unique_ptr<RegisterEditDialog> PartnerListDialog::createEditor(EntryMode mode)
{
    return std::make_unique<PartnerEditDialog>(mode, this);
}
