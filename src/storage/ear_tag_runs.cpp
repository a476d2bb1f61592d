#include "storage/ear_tag_runs.h"

#include "storage/statements.h"

EarTagRuns::EarTagRuns(Database& database)
    : m_database(database),
      m_writes(database, QStringLiteral("earTagRunWrites")),
      m_earTags(database, QStringLiteral("earTagsInTextOrder"))
{
}

// ---------------------------------------------------------------- a sender's ranges

void EarTagRuns::clearEarTags() { statements::execute(m_writes, {QStringLiteral("DELETE FROM fulszam")}); }

void EarTagRuns::addSenderEarTags(const QString& senderCode, ArrivalTable from)
{
    const QString table = from == ArrivalTable::Live ? QStringLiteral("beszall") : QStringLiteral("beszall0");
    statements::execute(m_writes,
                        {QStringLiteral("INSERT INTO fulszam (ufultol )"), QStringLiteral("SELECT        bfulszam"),
                         QStringLiteral("FROM ") + table, QStringLiteral("WHERE bfkod = :senderCode")},
                        {{QStringLiteral("senderCode"), senderCode}});
}

QStringList EarTagRuns::earTagsInTextOrder()
{
    statements::open(m_earTags,
                     {QStringLiteral("SELECT  *"), QStringLiteral("FROM fulszam"), QStringLiteral("ORDER BY ufultol")});
    const int rows = m_earTags.recordCount();
    const int column = m_earTags.fieldIndex(QStringLiteral("UFULTOL"));
    QStringList tags;
    tags.reserve(rows);
    for (int r = 0; r < rows; ++r)
        tags << m_earTags.cellText(r, column);
    return tags;
}

void EarTagRuns::clearSenderRuns() { statements::execute(m_writes, {QStringLiteral("DELETE FROM fulszam0")}); }

void EarTagRuns::insertSenderRun(const eartag::Range& run)
{
    statements::execute(m_writes,
                        {QStringLiteral("INSERT INTO fulszam0 (ufultol, ufulig )"),
                         QStringLiteral("VALUES        (   :first,   :last    )")},
                        {{QStringLiteral("first"), run.first}, {QStringLiteral("last"), run.last}});
}

void EarTagRuns::openSenderRuns(Dataset& rows)
{
    statements::open(rows,
                     {QStringLiteral("SELECT  *"), QStringLiteral("FROM fulszam0"), QStringLiteral("ORDER BY ufultol")});
}

void EarTagRuns::openSenderRunsBeginningWith(Dataset& rows, const QString& earTagBeginning)
{
    statements::open(rows,
                     {QStringLiteral("SELECT  *"), QStringLiteral("FROM fulszam0"),
                      QStringLiteral("WHERE ufultol like :beginning"), QStringLiteral("ORDER BY ufultol")},
                     {{QStringLiteral("beginning"), statements::earTagBeginning(earTagBeginning)}});
}
