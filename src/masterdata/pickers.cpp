#include "masterdata/pickers.h"

#include "masterdata/carrier_list.h"
#include "masterdata/partner_list.h"
#include "storage/session.h"
#include "ui/modal.h"

namespace {
QString pickFrom(RegisterStore& store) { return store.list().fieldText(store.codeField()); }
}  // namespace

QString pickCarrier(Session& session, QWidget* owner)
{
    runScreen<CarrierListDialog>(owner, session);
    return pickFrom(session.carriers());
}

QString pickSender(Session& session, QWidget* owner)
{
    runScreen<PartnerListDialog>(owner, session);
    return pickFrom(session.partners());
}
