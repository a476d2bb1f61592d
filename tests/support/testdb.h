#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class TData;

// Plain SQL on any database file, through a connection of its own that sees only committed data.
namespace testdb {
void exec(const QString& file, const QString& sql);
QList<QStringList> rows(const QString& file, const QString& sql);  // every value as text
}  // namespace testdb

// A fresh Dudoz.fdb made from the schema in a temporary directory that is also the working
// directory, the hand-overs emptied as at start-up, and the data module connected to it (the
// global Data). One per test function.
class TestDatabase {
public:
    explicit TestDatabase(bool createModule = true);
    ~TestDatabase();

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
    QString m_oldCwd;
};
