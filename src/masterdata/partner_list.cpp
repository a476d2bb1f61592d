#include "masterdata/partner_list.h"

#include "masterdata/partner_edit.h"
#include "storage/session.h"

namespace {

masterdata::ListScreen partnerList(Session& session)
{
    Partners& partners = session.partners();
    auto order = [&partners](Partners::Order o) { return [&partners, o] { partners.openList(o); }; };
    return {
        .objectName = QStringLiteral("partnerListDialog"),
        .title = QStringLiteral("Feladó-Vevö"),
        .headingAtStart = QStringLiteral("Feladó - vevö lista, név szerint"),
        .headingOnShow = QStringLiteral("A lista, \"Név\" szerint"),
        .headingAfterWrite = QStringLiteral("A lista, \"Kód\" szerint"),
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
        .sortOrders = {{0, order(Partners::Order::ByName), QStringLiteral("Lista sorrend: név, cim szerint")},
                       {1, order(Partners::Order::ByAddress), QStringLiteral("Lista sorrend: cim, név szerint")},
                       {5, order(Partners::Order::ByCode), QStringLiteral("Lista sorrend: kód szerint")}},
        .reg = masterdata::partnerRegister(session),
        .deletion = {.deleted = QStringLiteral("A feladó-vevö sor törlölve!"),
                     .failed = QStringLiteral("Hiba41: Feladó DELETE törlésekor")},
        .unreadableRow = QStringLiteral("Hiba52 a módosítás Edit-ben való megjelenitésekor!"),
    };
}

}  // namespace

PartnerListDialog::PartnerListDialog(Session& session, QWidget* parent)
    : RegisterListDialog(session, partnerList(session), parent)
{
}

std::unique_ptr<RegisterEditDialog> PartnerListDialog::createEditor(EntryMode mode)
{
    return std::make_unique<PartnerEditDialog>(session(), mode, this);
}
