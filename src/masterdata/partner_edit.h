#pragma once

#include "masterdata/register_edit.h"

class QCheckBox;

// "Feladó-Vevö": a new sender or buyer, or a change of the one the partner list stands on. Every
// field is required. While "Tulajdonos cim = származási cim" is ticked, leaving the owner's name
// or address copies it to the place of origin.
class PartnerEditDialog : public RegisterEditDialog {
    Q_OBJECT
public:
    PartnerEditDialog(Session& session, EntryMode mode, QWidget* parent = nullptr);

    void fillFromList() override;
    void save() override;
    void copyOwnerNameToOrigin();
    void copyOwnerAddressToOrigin();

private:
    QLineEdit* m_id;    // IDF, shown only
    QLineEdit* m_code;  // FKOD, shown only
    QLineEdit* m_ownerName;
    QLineEdit* m_ownerAddress;
    QLineEdit* m_breedingCode;
    QLineEdit* m_originName;
    QLineEdit* m_originAddress;
    QCheckBox* m_originIsOwner;
};
