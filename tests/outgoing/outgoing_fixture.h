#pragma once

// Small helpers the outgoing tests share: sample arrivals and departures written through a
// connection of their own (committed), and scripted picker choices.

#include "storage/shared_datasets.h"
#include "db/client.h"
#include "testdb.h"
#include "ui/platform.h"

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QWidget>

namespace fixture {

inline void arrival(TestDatabase& db, const QString& earTag, const QString& certificate = QStringLiteral("BE-1"),
                    const QString& date = QStringLiteral("2011-03-01"))
{
    db.exec(QStringLiteral("INSERT INTO beszall (bfulszam, beubiz, bszkelt, bvkelt, bhkat) "
                           "VALUES ('%1', '%2', '%3', '%3', 'gyüjtés')")
                .arg(earTag, certificate, date));
}

inline void departure(TestDatabase& db, const QString& earTag, const QString& carrier, const QString& buyer,
                      const QString& date = QStringLiteral("2011-03-10"), const QString& certOut = QStringLiteral("KI-1"))
{
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam, kskod, kfkod, kikelt, keubizbe, keubizki, khkat) "
                           "VALUES ('%1', '%2', '%3', '%4', 'BE-1', '%5', 'vágás')")
                .arg(earTag, carrier, buyer, date, certOut));
}

// A departure as the incoming screen and the takeover write it: no carrier, no buyer.
inline void departureWithoutCodes(TestDatabase& db, const QString& earTag, const QString& date = QStringLiteral("2011-03-10"))
{
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam, kikelt, keubizbe, khkat) VALUES ('%1', '%2', 'BE-1', 'gyüjtés')")
                .arg(earTag, date));
}

// The next picker shown stands on the row with this code when it closes.
inline void choose(platform::TestDoubles& doubles, Dataset* list, const QString& field, const QString& code)
{
    doubles.modalHandlers << [list, field, code](QDialog*) { QVERIFY(list->locate(field, code)); };
}

inline void showActive(QWidget* w)
{
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}

// Moves the focus the way a user does and lets the deferred exit checks run.
inline void focusTo(QWidget* w)
{
    w->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    QApplication::processEvents();
}

// Another user's uncommitted change: with nowait, a write of the same rows fails at once.
class ForeignChange {
public:
    ForeignChange(TestDatabase& db, const QString& sql)
    {
        fb::ConnectParams p;
        p.database = db.file();
        p.password = QStringLiteral("medvehagy");
        m_att.attach(p);
        m_tra.start(m_att);
        fb::Statement st(m_att, m_tra, sql, false);
        st.execute();
    }
    ~ForeignChange() { m_tra.rollback(); }

private:
    fb::Attachment m_att;
    fb::Transaction m_tra;
};

}  // namespace fixture
