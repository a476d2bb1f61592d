#pragma once

#include <QString>

// Program-wide texts by which screens hand modes and positions to each other; alive for the whole
// run, initially empty.
extern QString CarrierEditMode;     // "Új szállító" / "Szállító módositás"
extern QString SenderEditMode;      // "Új feladó" / "Feladó módositás"
extern QString& CurrentCarrierCode; // handOver().carrierCode
extern QString& CurrentSenderCode;  // handOver().partnerCode
extern QString IncomingEntryMode;   // "Új fülszám" / "Fülszám módositás"
extern QString OutgoingEntryMode;
extern QString& CurrentIncomingId;  // handOver().incomingId
extern QString& CurrentOutgoingId;  // handOver().outgoingId
extern QString& PartialEarTag;      // handOver().earTagBeginning

// Clears them all (a fresh program run; tests start from here).
void resetProgramVariables();
