#pragma once

#include <QString>

// Program-wide texts by which screens hand modes and positions to each other; alive for the whole
// run, initially empty.
extern QString CarrierEditMode;     // "Új szállító" / "Szállító módositás"
extern QString SenderEditMode;      // "Új feladó" / "Feladó módositás"
extern QString CurrentCarrierCode;  // skod on which ZQ30 is positioned after a reload
extern QString CurrentSenderCode;   // fkod on which ZQ40 is positioned after a reload
extern QString IncomingEntryMode;   // "Új fülszám" / "Fülszám módositás"
extern QString OutgoingEntryMode;
extern QString CurrentIncomingId;   // IDB as decimal text
extern QString CurrentOutgoingId;   // IDK as decimal text
extern QString PartialEarTag;       // typed beginning handed to the pick list

// Clears them all (a fresh program run; tests start from here).
void resetProgramVariables();
