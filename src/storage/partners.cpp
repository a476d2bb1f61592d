#include "storage/partners.h"

Partners::Partners(Database& database) : RegisterStore(database, QStringLiteral("partnerList"), QStringLiteral("felado"))
{
}

void Partners::openList(Order order)
{
    static const QString select = QStringLiteral("SELECT fnev, fcim, ftenykod, fsznev, fszcim, fkod, IDf FROM felado");
    switch (order) {
    case Order::ByName: reopenList({select, QStringLiteral("ORDER BY fnev, fcim")}); break;
    case Order::ByAddress: reopenList({select, QStringLiteral("ORDER BY fcim, fnev")}); break;
    case Order::ByCode: reopenList({select, QStringLiteral("ORDER BY fkod")}); break;
    }
}

namespace {
void bindPartner(Dataset& w, const Partner& partner)
{
    w.setParamText(QStringLiteral("name"), partner.name);
    w.setParamText(QStringLiteral("address"), partner.address);
    w.setParamText(QStringLiteral("breedingCode"), partner.breedingCode);
    w.setParamText(QStringLiteral("originName"), partner.originName);
    w.setParamText(QStringLiteral("originAddress"), partner.originAddress);
}
}  // namespace

void Partners::insert(const Partner& partner)
{
    Dataset& w = writer();
    w.close();
    w.setSql({QStringLiteral("INSERT INTO felado (fnev, fcim, ftenykod, fsznev, fszcim)"),
              QStringLiteral("VALUES (:name, :address, :breedingCode, :originName, :originAddress)")});
    bindPartner(w, partner);
    w.execSql();
}

void Partners::update(const QString& id, const Partner& partner)
{
    Dataset& w = writer();
    w.close();
    w.setSql({QStringLiteral("UPDATE felado"),
              QStringLiteral("SET fnev = :name, fcim = :address, ftenykod = :breedingCode,"),
              QStringLiteral("    fsznev = :originName, fszcim = :originAddress"),
              QStringLiteral("WHERE IDf = :id")});
    w.setParamText(QStringLiteral("id"), id);
    bindPartner(w, partner);
    w.execSql();
}
