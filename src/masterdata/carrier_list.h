#pragma once

#include "masterdata/register_list.h"

// "Szállító": the list of carriers (SZALLITO), ordered by registration number. Opened from the
// main menu and, as a picker, by the entry screens (pickCarrier).
class CarrierListDialog : public RegisterListDialog {
    Q_OBJECT
public:
    explicit CarrierListDialog(Session& session, QWidget* parent = nullptr);

protected:
    std::unique_ptr<RegisterEditDialog> createEditor(EntryMode mode) override;
};
