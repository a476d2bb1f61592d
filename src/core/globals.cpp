#include "core/globals.h"

QString CarrierEditMode;
QString SenderEditMode;
QString CurrentCarrierCode;
QString CurrentSenderCode;
QString IncomingEntryMode;
QString OutgoingEntryMode;
QString CurrentIncomingId;
QString CurrentOutgoingId;
QString PartialEarTag;

void resetProgramVariables()
{
    for (QString* v : {&CarrierEditMode, &SenderEditMode, &CurrentCarrierCode, &CurrentSenderCode, &IncomingEntryMode,
                       &OutgoingEntryMode, &CurrentIncomingId, &CurrentOutgoingId, &PartialEarTag})
        v->clear();
}
