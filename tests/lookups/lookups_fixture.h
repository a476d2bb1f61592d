#pragma once

// A small site for the lookups' tests: a carrier, two senders and a buyer, with rows put straight
// into the live and archive tables.

#include "../printing/printouts_fixture.h"
#include "testdb.h"
#include "ui/dbwidgets.h"

#include <QHeaderView>
#include <QTest>

namespace lookups_fixture {

using fixture::arrival;
using fixture::departure;
using fixture::gridColumn;

struct Site {
    QString carrier, szabo, toth, buyer;
    explicit Site(TestDatabase& db)
    {
        carrier = db.addCarrier(QStringLiteral("ABC-123"), QStringLiteral("Kiss Fuvar Bt."));
        szabo = db.addPartner(QStringLiteral("Szabó Gazda"), QStringLiteral("Nagykálló"));
        toth = db.addPartner(QStringLiteral("Tóth Ágnes"), QStringLiteral("Balkány"));
        buyer = db.addPartner(QStringLiteral("Hús-Vágó Zrt."), QStringLiteral("Kaba"));
    }
};

// An arrival that has been archived (BESZALL0), filled in directly.
inline void archivedArrival(TestDatabase& db, const QString& earTag, const QString& carrier, const QString& sender)
{
    db.exec(QStringLiteral("INSERT INTO beszall0 (bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod) "
                           "VALUES ('%1', '2010-05-01', '2010-05-01', 'gyüjtés', 'HU-EÜ 0901', '%2', '%3')")
                .arg(earTag, carrier, sender));
}

// Clicks the title of the grid's column at this position, scrolling it into view first.
inline void clickTitle(DBGrid* grid, int position)
{
    grid->scrollTo(grid->model()->index(0, position));
    QHeaderView* header = grid->horizontalHeader();
    const QPoint middle(header->sectionViewportPosition(position) + header->sectionSize(position) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, middle);
}

}  // namespace lookups_fixture
