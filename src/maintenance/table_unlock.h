#pragma once

#include <QString>

// Who may change the raw tables. The data module's table datasets are read-only until the table
// editor's password unlocks them; unlocked, they stay writable for the rest of the run, wherever
// they are shown.
namespace maintenance {

enum class TableAccess {
    None,           // a wrong answer: nothing changes
    AllButPartner,  // every table the editor shows but PARTNER (the operating company's own data)
    All,            // every table the editor shows
};

// The access an answer to the password question gives: the whole answer compared exactly, letter
// case and blanks included, with the two passwords.
TableAccess accessFor(const QString& answer);

// Makes the tables writable (IBTable1..IBTable9, or IBTable1..IBTable10) and reads the ten tables
// again; database errors raise fb::Error.
void unlockTables(TableAccess access);

}  // namespace maintenance
