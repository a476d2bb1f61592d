#pragma once

#include "core/entrymode.h"

#include <QString>

#include <functional>
#include <initializer_list>
#include <utility>

class Dataset;
class QLineEdit;
class QWidget;
class RegisterStore;
class Session;

// The flows the carrier register and the sender/buyer register share, written once: reloading
// and re-positioning a register list, deleting its current row, writing a row from its edit
// dialog. What tells one register from the other comes in as parameters; the messages stay each
// register's own.
namespace masterdata {

// One register of the session: its store (the list every screen shares and the statements on its
// table), the remembered code its list is positioned on, and how many deliveries use a code.
struct Register {
    RegisterStore* store;
    QString* rememberedCode;
    std::function<qint64(const QString& code)> arrivalsUsing;
    std::function<qint64(const QString& code)> departuresUsing;
};

// The carrier register (SZALLITO) and the sender/buyer register (FELADO) of a session.
Register carrierRegister(Session& session);
Register partnerRegister(Session& session);

// Positions the list on the remembered code (RegisterStore::locateRemembered).
void locateRemembered(const Register& reg);

// The reload after a delete or a save: the default order, positioned on the remembered code.
void reloadOnRemembered(const Register& reg);

// What deleting a register row says.
struct Deletion {
    QString deleted;  // said after the delete was committed
    QString failed;   // said when the delete or its commit failed (after the rollback)
};

// Deletes the current row of the register's list unless an arrival or a departure uses its code
// (refused in a Yes box) or it is the list's last row (nothing happens: the entry screens need one
// to pick). Errors the flow does not expect go to the standard error box. The list is left for
// the caller to reload.
void deleteCurrentRow(QWidget* screen, Session& session, const Register& reg, const Deletion& deletion);

// What a register's edit dialog says when its write fails.
struct WriteFailures {
    QString updateFailed;
    QString insertFailed;
    QString stuck;  // the transaction could not be started or rolled back
};

// Saves the edit dialog's row through write (the store's update of the row rowId in change mode,
// its insert in new mode), in the shared transaction (started when needed) and committed; the
// row's code becomes the remembered code. The fields are checked first, in the order given, for
// characters the database cannot hold. A failing statement or commit is said and rolled back. A
// change whose row identifier is empty (opened on an empty list) writes nothing. False when the
// transaction could not be started or rolled back, or a field holds a character the database
// cannot store: that is said, and the dialog keeps its input.
bool saveRow(QWidget* dialog, Session& session, const Register& reg, EntryMode mode, const QString& rowId,
             const QString& code, const WriteFailures& failures, std::initializer_list<const QLineEdit*> fields,
             const std::function<void()>& write);

// Fills edit fields from the columns of the list's current row; raises when the list is not
// open, whose fields would read as empty text and pass for an empty list.
void fillFromCurrentRow(const Dataset& list, std::initializer_list<std::pair<QLineEdit*, QString>> fields);

}  // namespace masterdata
