#include "storage/carriers.h"

Carriers::Carriers(Database& database) : RegisterStore(database, QStringLiteral("carrierList"), QStringLiteral("szallito"))
{
}

void Carriers::openList(Order order)
{
    static const QString select = QStringLiteral("SELECT srendszam, snev, scim, sjovaszam, skod, IDs FROM szallito");
    switch (order) {
    case Order::ByRegistration: reopenList({select, QStringLiteral("ORDER BY srendszam, snev")}); break;
    case Order::ByName: reopenList({select, QStringLiteral("ORDER BY snev, srendszam")}); break;
    case Order::ByAddress: reopenList({select, QStringLiteral("ORDER BY scim")}); break;
    case Order::ByCode: reopenList({select, QStringLiteral("ORDER BY skod")}); break;
    }
}

void Carriers::insert(const Carrier& carrier)
{
    Dataset& w = writer();
    w.close();
    w.setSql({QStringLiteral("INSERT INTO szallito (srendszam, snev, scim, sjovaszam)"),
              QStringLiteral("VALUES (:registration, :name, :address, :approval)")});
    w.setParamText(QStringLiteral("registration"), carrier.registration);
    w.setParamText(QStringLiteral("name"), carrier.name);
    w.setParamText(QStringLiteral("address"), carrier.address);
    w.setParamText(QStringLiteral("approval"), carrier.approval);
    w.execSql();
}

void Carriers::update(const QString& id, const Carrier& carrier)
{
    Dataset& w = writer();
    w.close();
    w.setSql({QStringLiteral("UPDATE szallito"),
              QStringLiteral("SET srendszam = :registration, snev = :name, scim = :address, sjovaszam = :approval"),
              QStringLiteral("WHERE IDs = :id")});
    w.setParamText(QStringLiteral("id"), id);
    w.setParamText(QStringLiteral("registration"), carrier.registration);
    w.setParamText(QStringLiteral("name"), carrier.name);
    w.setParamText(QStringLiteral("address"), carrier.address);
    w.setParamText(QStringLiteral("approval"), carrier.approval);
    w.execSql();
}
