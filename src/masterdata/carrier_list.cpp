#include "masterdata/carrier_list.h"

#include "masterdata/carrier_edit.h"
#include "storage/session.h"

namespace {

masterdata::ListScreen carrierList(Session& session)
{
    Carriers& carriers = session.carriers();
    auto order = [&carriers](Carriers::Order o) { return [&carriers, o] { carriers.openList(o); }; };
    return {
        .objectName = QStringLiteral("carrierListDialog"),
        .title = QStringLiteral("Szállító"),
        .headingAtStart = QStringLiteral("Rendszám szerinti lista"),
        .headingOnShow = QStringLiteral("A lista, \"Rendszám\" szerint"),
        .headingAfterWrite = QStringLiteral("A lista, \"Kód\" szerint"),
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
        .sortOrders = {{0, order(Carriers::Order::ByRegistration), QStringLiteral("Lista sorrend: rendszám szerint")},
                       {1, order(Carriers::Order::ByName), QStringLiteral("Lista sorrend: név szerint")},
                       {2, order(Carriers::Order::ByAddress), QStringLiteral("Lista sorrend: cim szerint")},
                       {4, order(Carriers::Order::ByCode), QStringLiteral("Lista sorrend: Kód szerint")}},
        .reg = masterdata::carrierRegister(session),
        .deletion = {.deleted = QStringLiteral("A szállitó sor törlölve!"),
                     .failed = QStringLiteral("Hiba61: Szállitó DELETE törlésekor")},
        .unreadableRow = QStringLiteral("Hiba71 a szállító módosítás Edit-ben való megjelenitésekor!"),
    };
}

}  // namespace

CarrierListDialog::CarrierListDialog(Session& session, QWidget* parent)
    : RegisterListDialog(session, carrierList(session), parent)
{
}

std::unique_ptr<RegisterEditDialog> CarrierListDialog::createEditor(EntryMode mode)
{
    return std::make_unique<CarrierEditDialog>(session(), mode, this);
}
