#pragma once

#include "core/dataset.h"

#include <QString>

class Database;

// What the carrier register and the sender/buyer register have in common: a list that every
// screen shares (the register's list screen and picker move it, the delivery screens show its
// current row in their panels and read the picked code from it), and the statements on its table.
class RegisterStore {
public:
    virtual ~RegisterStore() = default;
    RegisterStore(const RegisterStore&) = delete;
    RegisterStore& operator=(const RegisterStore&) = delete;

    Dataset& list() { return m_list; }
    DataSource& listSource() { return m_listSource; }
    // The column of the list that holds the row's code.
    virtual QString codeField() const = 0;

    // The list in its default order, its first row current.
    virtual void openList() = 0;
    // The list in its default order, on the row whose code equals code exactly; without such a
    // row the first row stays current. How the delivery screens show a row in their panels.
    void openOn(const QString& code);
    // Positions the open list on a remembered code: a code that is itself present wins over a
    // longer one that merely begins with it ("1" must not land on "15"); an empty code, or none
    // found, lands on the first row that begins with it, ignoring case.
    void locateRemembered(const QString& code);

    // Deletes the row with the code, in the shared transaction (not committed).
    void remove(const QString& code);

protected:
    RegisterStore(Database& database, const QString& listName, const QString& table);
    // Closes the list and opens it on the statement; the first row is current.
    void reopenList(const QStringList& lines);
    Dataset& writer() { return m_writer; }

private:
    Dataset m_list;
    DataSource m_listSource;
    Dataset m_writer;  // the register's writes
    QString m_table;
};
