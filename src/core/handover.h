#pragma once

#include <QString>

// The values one screen leaves behind for the next during a run of the program (a Session holds
// them). They start empty at start-up and live until the program ends.
struct HandOver {
    // The carrier code (skod) and the sender/buyer code (fkod) on which the register lists are
    // positioned whenever they are reloaded. The register edit dialogs set them after a write, the
    // entry screens when they load or save a row: the panels and the next picker show that row.
    QString carrierCode;
    QString partnerCode;
    // The arrival (IDB) and the departure (IDK), as decimal text, on which the delivery lists end
    // after a rebuild. Set when an entry screen opens a row for change, and by the arrival delete.
    QString incomingId;
    QString outgoingId;
    // What was typed in the outgoing ear-tag field when its pick list opened: the pick list starts
    // on the first ear tag that begins with it.
    QString earTagBeginning;
};
