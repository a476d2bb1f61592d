#include "storage/register_store.h"

#include "core/database.h"

RegisterStore::RegisterStore(Database& database, const QString& listName, const QString& table)
    : m_list(database, listName),
      m_listSource(m_list, listName + QStringLiteral("Source")),
      m_writer(database, listName + QStringLiteral("Writes")),
      m_table(table)
{
}

void RegisterStore::reopenList(const QStringList& lines)
{
    m_list.close();
    m_list.setSql(lines);
    m_list.open();
}

void RegisterStore::openOn(const QString& code)
{
    openList();
    m_list.locate(codeField(), code);
}

void RegisterStore::locateRemembered(const QString& code)
{
    if (!m_list.active())
        return;
    if (!code.isEmpty() && m_list.locate(codeField(), code, {true, false}))
        return;
    m_list.locate(codeField(), code, {true, true});
}

void RegisterStore::remove(const QString& code)
{
    m_writer.close();
    m_writer.setSql({QStringLiteral("DELETE FROM %1").arg(m_table), QStringLiteral("WHERE %1 = :code").arg(codeField())});
    m_writer.setParamText(QStringLiteral("code"), code);
    m_writer.execSql();
}
