#pragma once

#include "storage/session.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>


// Plain SQL on any database file, through a connection of its own that sees only committed data.
namespace testdb {
void exec(const QString& file, const QString& sql);
QList<QStringList> rows(const QString& file, const QString& sql);  // every value as text
}  // namespace testdb

// A fresh Dudoz.fdb made from the schema in a temporary directory that is also the working
// directory, and a session connected to it, as the program makes at start-up. One per test
// function.
class TestDatabase {
public:
    explicit TestDatabase(bool createSession = true);
    ~TestDatabase();

    // The session on the file; the test program stops when it was made without one.
    Session& session() const;
    // Connects a session to the file (after one was closed, or when made without one).
    Session& openSession();
    // Closes the session: its transaction is rolled back, its connection closed.
    void closeSession();

    QString dir() const { return m_dir.path(); }
    QString file() const;

    // Plain SQL through a connection of its own: it sees only committed data.
    void exec(const QString& sql);
    QList<QStringList> rows(const QString& sql);  // every value as text (dates yyyy.MM.dd)
    QString value(const QString& sql);            // first column of the first row, "" when none
    int count(const QString& table);
    // Copies a file (a report template) into the working directory, where the program finds it
    // by its bare name; false when it cannot.
    bool install(const QString& sourcePath);

    // Sample register rows; return the code the database gave.
    QString addCarrier(const QString& rendszam, const QString& nev, const QString& cim = QStringLiteral("Cim"),
                       const QString& jovaszam = QStringLiteral("J1"));
    QString addPartner(const QString& nev, const QString& cim = QStringLiteral("Cim"),
                       const QString& tenykod = QStringLiteral("T1"));

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Session> m_session;
    QString m_oldCwd;
};
