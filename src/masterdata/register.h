#pragma once

#include "core/entrymode.h"

#include <QString>
#include <QStringList>

#include <initializer_list>
#include <utility>
#include <vector>

class Dataset;
class QLineEdit;
class QWidget;

// The flows the carrier register and the sender/buyer register share, written once: reloading
// and re-positioning a register list, deleting its current row, writing a row from its edit
// dialog. What tells one register from the other comes in as parameters; the statement lines and
// messages stay each register's own.
namespace masterdata {

// One register: the list every screen shares, the dataset its writes run on, its code column,
// the remembered code its list is positioned on, and the statement of its reloads.
struct Register {
    Dataset* list;
    Dataset* writer;
    QString codeField;
    QString* rememberedCode;
    QString selectLine;        // the reloads after a sort, a delete or a save: this line ...
    QString defaultOrderLine;  // ... and an ORDER BY line, this one unless a title click chose another
};

// The carrier register (SZALLITO on ZQ30 / ZQ31) and the sender/buyer register (FELADO on ZQ40 /
// ZQ41) of the current data module.
Register carrierRegister();
Register partnerRegister();

// Closes the list and opens it again with the given statement lines; the first row is current.
void reopen(Dataset& list, const QStringList& lines);

// Positions the list on the remembered code. Lists are located case-insensitively on a partial
// key, so an empty code lands on the first row; a code that is itself present wins over a longer
// one that merely begins with it ("1" must not land on "15").
void locateRemembered(const Register& reg);

// The reload after a delete or a save: the default order, positioned on the remembered code.
void reloadOnRemembered(const Register& reg);

// What deleting a register row says and runs; :p1 is the row's code in every statement.
struct Deletion {
    QStringList incomingUse;  // counts the arrivals that use the code, as dbbe
    QStringList outgoingUse;  // counts the departures that use it, as dbki
    QStringList deleteLines;
    QString deleted;  // said after the delete was committed
    QString failed;   // said when the delete or its commit failed (after the rollback)
};

// Deletes the current row of the register's list unless an arrival or a departure uses its code
// (refused in a Yes box) or it is the list's last row (nothing happens: the entry screens need one
// to pick). Errors the flow does not expect go to the standard error box. The list is left for
// the caller to reload.
void deleteCurrentRow(QWidget* screen, const Register& reg, const Deletion& deletion);

// The statements of a register's edit dialog and what it says when they fail.
struct Writes {
    QStringList update;  // changes the row whose identifier is :p0
    QString updateFailed;
    QStringList insert;
    QString insertFailed;
    QString stuck;  // the transaction could not be started or rolled back
};

// Saves the edit dialog's row: the update of the row rowId (change) or the insert (new), with the
// values the fields hold (parameter name, field), in the shared transaction (started when needed)
// and committed; the row's code becomes the remembered code. A failing statement or commit is said
// and rolled back. A change whose row identifier is empty (opened on an empty list) writes
// nothing. False when the transaction could not be started or rolled back, or a field holds a
// character the database cannot store: that is said, and the dialog keeps its input.
bool saveRow(QWidget* dialog, const Register& reg, EntryMode mode, const QString& rowId, const QString& code,
             const Writes& writes, const std::vector<std::pair<QString, const QLineEdit*>>& values);

// Fills edit fields from the columns of the list's current row; raises when the list is not
// open, whose fields would read as empty text and pass for an empty list.
void fillFromCurrentRow(const Dataset& list, std::initializer_list<std::pair<QLineEdit*, QString>> fields);

}  // namespace masterdata
