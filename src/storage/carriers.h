#pragma once

#include "storage/register_store.h"

// A carrier as its edit dialog writes it; the database gives the identifier and the code.
struct Carrier {
    QString registration;  // srendszam: the vehicle's registration number
    QString name;          // snev
    QString address;       // scim
    QString approval;      // sjovaszam: the carrier's approval number
};

// The carrier register (SZALLITO). Its list: srendszam, snev, scim, sjovaszam, skod, IDs.
class Carriers : public RegisterStore {
public:
    explicit Carriers(Database& database);

    enum class Order { ByRegistration, ByName, ByAddress, ByCode };

    QString codeField() const override { return QStringLiteral("skod"); }
    // By registration number, then name.
    void openList() override { openList(Order::ByRegistration); }
    void openList(Order order);

    // In the shared transaction (not committed).
    void insert(const Carrier& carrier);
    void update(const QString& id, const Carrier& carrier);
};
