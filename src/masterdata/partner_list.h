#pragma once

#include "masterdata/register_list.h"

// "Feladó-Vevö": the list of senders and buyers (FELADO), ordered by name. Opened from the main
// menu and, as a picker, by the entry screens (pickSender).
class PartnerListDialog : public RegisterListDialog {
    Q_OBJECT
public:
    explicit PartnerListDialog(Session& session, QWidget* parent = nullptr);

protected:
    std::unique_ptr<RegisterEditDialog> createEditor(EntryMode mode) override;
};
