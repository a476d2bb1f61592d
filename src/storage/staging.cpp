#include "storage/staging.h"

#include "storage/statements.h"

DepartureStaging::DepartureStaging(Database& database)
    : m_database(database),
      m_rowsToRewrite(database, QStringLiteral("stagedRowsToRewrite")),
      m_writes(database, QStringLiteral("stagingWrites"))
{
}

void DepartureStaging::empty() { statements::execute(m_writes, {QStringLiteral("DELETE FROM kiszall1")}); }

void DepartureStaging::openAll(Dataset& rows) { statements::open(rows, {QStringLiteral("SELECT * FROM kiszall1")}); }

void DepartureStaging::openWithoutArrival(Dataset& rows)
{
    statements::open(rows, {QStringLiteral("SELECT kiszall1.kfulszam AS kfulszam, KIKELT"),
                            QStringLiteral("FROM beszall"),
                            QStringLiteral("RIGHT JOIN kiszall1 ON bfulszam = kfulszam"),
                            QStringLiteral("WHERE bfulszam IS NULL")});
}

Dataset& DepartureStaging::openRowsToRewrite()
{
    statements::open(m_rowsToRewrite, {QStringLiteral("SELECT * FROM kiszall1")});
    return m_rowsToRewrite;
}

void DepartureStaging::setEarTag(qint64 id, const QString& earTag)
{
    statements::prepare(m_writes, {QStringLiteral("UPDATE kiszall1"), QStringLiteral("SET kfulszam = :earTag"),
                                   QStringLiteral("WHERE IDk = :id")},
                        {{QStringLiteral("earTag"), earTag}});
    m_writes.setParamInt(QStringLiteral("id"), id);
    m_writes.execSql();
}
