#pragma once

#include "storage/register_store.h"

// A sender or buyer as its edit dialog writes it; the database gives the identifier and the code.
struct Partner {
    QString name;           // fnev: the owner (sender) or buyer
    QString address;        // fcim
    QString breedingCode;   // ftenykod: the holding's code
    QString originName;     // fsznev: the place of origin or of destination
    QString originAddress;  // fszcim
};

// The sender/buyer register (FELADO). Its list: fnev, fcim, ftenykod, fsznev, fszcim, fkod, IDf.
class Partners : public RegisterStore {
public:
    explicit Partners(Database& database);

    enum class Order { ByName, ByAddress, ByCode };

    QString codeField() const override { return QStringLiteral("fkod"); }
    // By name, then address.
    void openList() override { openList(Order::ByName); }
    void openList(Order order);

    // In the shared transaction (not committed).
    void insert(const Partner& partner);
    void update(const QString& id, const Partner& partner);
};
