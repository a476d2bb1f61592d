#include "masterdata/carrier_list.h"

#include "core/datamodule.h"
#include "masterdata/carrier_edit.h"

namespace {

masterdata::ListScreen carrierList()
{
    const masterdata::Register reg = masterdata::carrierRegister();
    return {
        .objectName = QStringLiteral("Form6"),
        .title = QStringLiteral("Szállító"),
        .headingName = QStringLiteral("Label2"),
        .headingAtStart = QStringLiteral("Rendszám szerinti lista"),
        .headingOnShow = QStringLiteral("A lista, \"Rendszám\" szerint"),
        .headingAfterWrite = QStringLiteral("A lista, \"Kód\" szerint"),
        .source = &Data->DS30,
        .columns = {{QStringLiteral("srendszam"), QStringLiteral("Rendszám")},
                    {QStringLiteral("snev"), QStringLiteral("Szállító neve")},
                    {QStringLiteral("scim"), QStringLiteral("Cime")},
                    {QStringLiteral("sjovaszam"), QStringLiteral("Jóváhagy. szám")},
                    {QStringLiteral("skod"), QStringLiteral("Kód")},
                    {QStringLiteral("IDs"), QStringLiteral("ID")}},
        .gridMinimum = QSize(640, 260),
        .details = {{QStringLiteral("Rendszám:"), {{QStringLiteral("srendszam")}}},
                    {QStringLiteral("Név:"), {{QStringLiteral("snev")}}},
                    {QStringLiteral("Cim:"), {{QStringLiteral("scim")}}},
                    {QStringLiteral("Jóváhagy.szám:"), {{QStringLiteral("sjovaszam")}}},
                    {QStringLiteral("ID:"), {{QStringLiteral("IDs")}}},
                    {QStringLiteral("Kód:"), {{QStringLiteral("skod")}}}},
        // "Jóváhagy. szám" and "ID" do not sort.
        .sortOrders = {{0, QStringLiteral("       ORDER BY srendszam, snev "),
                        QStringLiteral("Lista sorrend: rendszám szerint")},
                       {1, QStringLiteral("       ORDER BY  snev, srendszam "),
                        QStringLiteral("Lista sorrend: név szerint")},
                       {2, QStringLiteral("       ORDER BY  scim "), QStringLiteral("Lista sorrend: cim szerint")},
                       {4, QStringLiteral("       ORDER BY  skod "), QStringLiteral("Lista sorrend: Kód szerint")}},
        .loadLines = {reg.selectLine, reg.defaultOrderLine},
        .reg = reg,
        .deletion = {.incomingUse = {QStringLiteral("SELECT Bskod, count(Bskod) as dbbe "),
                                     QStringLiteral("  FROM beszall      "), QStringLiteral("  WHERE Bskod = :p1 "),
                                     QStringLiteral("  GROUP BY Bskod    ")},
                     .outgoingUse = {QStringLiteral("SELECT Kskod, count(Kskod) as dbki "),
                                     QStringLiteral("  FROM kiszall      "), QStringLiteral("  WHERE Kskod = :p1 "),
                                     QStringLiteral("  GROUP BY Kskod    ")},
                     .deleteLines = {QStringLiteral("DELETE FROM szallito      "),
                                     QStringLiteral("  WHERE skod = :p1 ")},
                     .deleted = QStringLiteral("A szállitó sor törlölve!"),
                     .failed = QStringLiteral("Hiba61: Szállitó DELETE törlésekor")},
        .unreadableRow = QStringLiteral("Hiba71 a szállító módosítás Edit-ben való megjelenitésekor!"),
    };
}

}  // namespace

CarrierListDialog::CarrierListDialog(QWidget* parent) : RegisterListDialog(carrierList(), parent) {}

std::unique_ptr<RegisterEditDialog> CarrierListDialog::createEditor(EntryMode mode)
{
    return std::make_unique<CarrierEditDialog>(mode, this);
}
