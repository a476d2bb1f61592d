#pragma once

#include "db/client.h"
#include "testdb.h"

#include <QString>

// Another connection holding an uncommitted change: a write to the same rows through the program's
// nowait transaction then fails at once, as it would against another user.
class RowLock {
public:
    RowLock(TestDatabase& db, const QString& sql)
    {
        fb::ConnectParams p;
        p.database = db.file();
        p.password = QStringLiteral("medvehagy");
        m_att.attach(p);
        m_tra.start(m_att);
        fb::Statement st(m_att, m_tra, sql, false);
        st.execute();
    }
    ~RowLock() { m_tra.rollback(); }
    RowLock(const RowLock&) = delete;
    RowLock& operator=(const RowLock&) = delete;

private:
    fb::Attachment m_att;
    fb::Transaction m_tra;
};
