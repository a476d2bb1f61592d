#include "core/globals.h"

#include "core/handover.h"

QString CarrierEditMode;
QString SenderEditMode;
QString& CurrentCarrierCode = handOver().carrierCode;
QString& CurrentSenderCode = handOver().partnerCode;
QString IncomingEntryMode;
QString OutgoingEntryMode;
QString& CurrentIncomingId = handOver().incomingId;
QString& CurrentOutgoingId = handOver().outgoingId;
QString& PartialEarTag = handOver().earTagBeginning;

void resetProgramVariables()
{
    resetHandOver();
    for (QString* v : {&CarrierEditMode, &SenderEditMode, &IncomingEntryMode, &OutgoingEntryMode})
        v->clear();
}
