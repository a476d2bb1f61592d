#pragma once

// Small helpers the outgoing tests share: sample arrivals and departures written through a
// connection of their own (committed), scripted picker choices, and the rows a screen's grid shows.

#include "rowlock.h"
#include "screens.h"
#include "storage/session.h"
#include "testdb.h"
#include "ui/dbwidgets.h"
#include "ui/platform.h"

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QWidget>

namespace fixture {

// Another user's uncommitted change (tests/support/rowlock.h), by the name the tests of other
// screens that share these helpers know it.
using ForeignChange = RowLock;

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

// The screen's own dataset that the grid of that name shows.
inline Dataset& gridRows(const QObject* screen, const char* grid)
{
    Dataset* rows = child<DBGrid>(screen, grid)->datasetModel()->dataset();
    if (!rows)
        qFatal("the grid %s shows no dataset", grid);
    return *rows;
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

}  // namespace fixture
