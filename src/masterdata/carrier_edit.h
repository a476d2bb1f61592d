#pragma once

#include "masterdata/register_edit.h"

// "Szállító": a new carrier, or a change of the carrier the carrier list stands on. The
// registration number may stay empty; name, address and approval number are required.
class CarrierEditDialog : public RegisterEditDialog {
    Q_OBJECT
public:
    CarrierEditDialog(Session& session, EntryMode mode, QWidget* parent = nullptr);

    void fillFromList() override;
    void save() override;

private:
    QLineEdit* m_id;    // IDS, shown only
    QLineEdit* m_code;  // SKOD, shown only
    QLineEdit* m_registration;
    QLineEdit* m_name;
    QLineEdit* m_address;
    QLineEdit* m_approval;
};
