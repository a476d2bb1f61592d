#include "masterdata/pickers.h"

#include "core/dataset.h"
#include "masterdata/carrier_list.h"
#include "masterdata/partner_list.h"
#include "ui/modal.h"

namespace {
QString pickFrom(const masterdata::Register& reg) { return reg.list->fieldText(reg.codeField); }
}  // namespace

QString pickCarrier(QWidget* owner)
{
    runScreen<CarrierListDialog>(owner);
    return pickFrom(masterdata::carrierRegister());
}

QString pickSender(QWidget* owner)
{
    runScreen<PartnerListDialog>(owner);
    return pickFrom(masterdata::partnerRegister());
}
