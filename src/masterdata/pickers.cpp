#include "masterdata/pickers.h"

#include "core/datamodule.h"
#include "masterdata/carrier_list.h"
#include "masterdata/partner_list.h"
#include "ui/modal.h"

QString pickCarrier(QWidget* owner)
{
    runScreen(owner, Form6);
    return Data->ZQ30.fieldText(QStringLiteral("skod"));
}

QString pickSender(QWidget* owner)
{
    runScreen(owner, Form4);
    return Data->ZQ40.fieldText(QStringLiteral("fkod"));
}
