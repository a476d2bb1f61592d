#pragma once

#include <QString>

// Whether an entry or edit screen adds a row or changes the row its list stands on. The screen
// is opened in one of the two and keeps it while it lives.
enum class EntryMode { New, Change };

// What an entry or edit screen records.
enum class EntrySubject { Carrier, Partner, Arrival, Departure };

// The caption an entry or edit screen shows in a mode: the one place those texts live.
QString entryCaption(EntrySubject subject, EntryMode mode);
