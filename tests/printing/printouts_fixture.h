#pragma once

// The small fixed database the print screens' tests share, the program's seven templates installed
// where the program finds them, and a readable comparison of prepared pages with stored files.

#include "storage/shared_datasets.h"
#include "report/prepared.h"
#include "testdb.h"
#include "ui/dbwidgets.h"
#include "ui/platform.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace fixture {

// The day of the arrivals and the day of the departures of the fixed database.
inline const QString kArrivalDay = QStringLiteral("2011.03.15");
inline const QString kDispatchDay = QStringLiteral("2011.03.16");

inline void arrival(TestDatabase& db, const QString& earTag, const QString& date, const QString& carrier,
                    const QString& sender, const QString& certificate = QStringLiteral("HU-EÜ 1101"))
{
    db.exec(QStringLiteral("INSERT INTO beszall (bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod) "
                           "VALUES ('%1', '%2', '%2', 'gyüjtés', '%3', '%4', '%5')")
                .arg(earTag, date, certificate, carrier, sender));
}

inline void departure(TestDatabase& db, const QString& earTag, const QString& date, const QString& carrier,
                      const QString& buyer, const QString& certificate = QStringLiteral("HU-EÜ 2201"))
{
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam, kikelt, khkat, keubizbe, keubizki, kskod, kfkod) "
                           "VALUES ('%1', '%2', 'vágás', 'HU-EÜ 1101', '%3', '%4', '%5')")
                .arg(earTag, date, certificate, carrier, buyer));
}

// The site, two carriers, two senders and a buyer; on 2011.03.15 Szabó brings 3600101-3600103 and
// Tóth 3600104, 3600105 and 3600110 (one run across both senders, and a single one); on 2011.03.16
// five of them leave; a few older arrivals are still on site.
struct Site {
    QString kissFuvar, nagySzallitas, szabo, toth, husVago;

    explicit Site(TestDatabase& db)
    {
        db.exec(QStringLiteral(
            "INSERT INTO partner (pnev, pirszam, phelyseg, putca, phszam, ptel, padoszam) VALUES "
            "('Gerundo Állatforgalmi Kft.', '4244', 'Újfehértó', 'Vasút utca', '12.', '06-42-555-123', "
            "'12345678-2-15')"));
        kissFuvar = db.addCarrier(QStringLiteral("ABC-123"), QStringLiteral("Kiss Fuvar Bt."),
                                  QStringLiteral("Nyíregyháza, Fő utca 1."), QStringLiteral("JV-001"));
        nagySzallitas = db.addCarrier(QStringLiteral("XYZ-789"), QStringLiteral("Nagy Szállítás Kft."),
                                      QStringLiteral("Debrecen, Piac utca 5."), QStringLiteral("JV-002"));
        szabo = db.addPartner(QStringLiteral("Szabó Gazda"), QStringLiteral("Nagykálló, Kossuth út 3."),
                              QStringLiteral("HU1234567"));
        toth = db.addPartner(QStringLiteral("Tóth Ágnes"), QStringLiteral("Balkány, Petőfi utca 8."),
                             QStringLiteral("HU7654321"));
        husVago = db.addPartner(QStringLiteral("Hús-Vágó Zrt."), QStringLiteral("Kaba, Ipari park 1."),
                                QStringLiteral("HU5550001"));

        for (const char* tag : {"3600101", "3600102", "3600103"})
            arrival(db, QString::fromLatin1(tag), QStringLiteral("2011-03-15"), kissFuvar, szabo);
        for (const char* tag : {"3600104", "3600105", "3600110"})
            arrival(db, QString::fromLatin1(tag), QStringLiteral("2011-03-15"), nagySzallitas, toth,
                    QStringLiteral("HU-EÜ 1102"));
        arrival(db, QStringLiteral("3600099"), QStringLiteral("2011-03-14"), kissFuvar, szabo);
        arrival(db, QStringLiteral("0012345"), QStringLiteral("2011-02-20"), kissFuvar, toth);
        arrival(db, QStringLiteral("3600200"), QStringLiteral("2011-03-01"), nagySzallitas, szabo);

        for (const char* tag : {"3600101", "3600102"})
            departure(db, QString::fromLatin1(tag), QStringLiteral("2011-03-16"), kissFuvar, husVago);
        for (const char* tag : {"3600104", "3600105", "3600110"})
            departure(db, QString::fromLatin1(tag), QStringLiteral("2011-03-16"), nagySzallitas, husVago,
                      QStringLiteral("HU-EÜ 2202"));
        departure(db, QStringLiteral("3600099"), QStringLiteral("2011-03-17"), kissFuvar, husVago);
    }
};

// The program's report templates, copied into the working directory as the run command does.
inline void installTemplates(TestDatabase& db)
{
    const QString dir = QFINDTESTDATA("../../templates");
    QVERIFY2(!dir.isEmpty(), "the program's templates/ directory was not found");
    for (const QString& name : QDir(dir).entryList({QStringLiteral("*.frf")}, QDir::Files))
        QVERIFY2(db.install(QDir(dir).filePath(name)), qPrintable(name));
}

// What most print tests start from: the fixed database with the data module on it, the platform's
// doubles, and the templates in the working directory.
struct PrintingSite {
    TestDatabase db;
    platform::TestDoubles doubles;
    Site site{db};
    PrintingSite() { installTemplates(db); }
};

// Compares prepared pages with the stored text (page headings, then lines left to right joined
// by " | "). On a difference the actual text is written to gerundo-printouts/ in the temporary
// directory, and the differing lines are shown.
inline bool samePages(const report::PreparedReport& pages, const QString& expectedFile)
{
    const QString path = QFINDTESTDATA(QStringLiteral("expected/") + expectedFile);
    QFile f(path);
    const QString actual = pages.plainText();
    QString expected;
    if (!path.isEmpty() && f.open(QIODevice::ReadOnly))
        expected = QString::fromUtf8(f.readAll());
    if (actual == expected)
        return true;
    const QString actualDir = QDir::temp().filePath(QStringLiteral("gerundo-printouts"));
    QDir().mkpath(actualDir);
    QFile out(QDir(actualDir).filePath(expectedFile));
    if (out.open(QIODevice::WriteOnly))
        out.write(actual.toUtf8());
    const QStringList a = actual.split(u'\n');
    const QStringList e = expected.split(u'\n');
    for (int i = 0; i < std::max(a.size(), e.size()); ++i) {
        const QString al = i < a.size() ? a[i] : QStringLiteral("<none>");
        const QString el = i < e.size() ? e[i] : QStringLiteral("<none>");
        if (al != el)
            qWarning("%s line %d\n  expected: %s\n  actual:   %s", qPrintable(expectedFile), i + 1, qPrintable(el),
                     qPrintable(al));
    }
    qWarning("actual pages written to %s", qPrintable(out.fileName()));
    return false;
}

// The values a grid shows in one column, top to bottom.
inline QStringList gridColumn(DBGrid* grid, int column)
{
    QStringList out;
    auto* model = grid->model();
    while (model->canFetchMore({}))
        model->fetchMore({});
    for (int r = 0; r < model->rowCount(); ++r)
        out << model->index(r, column).data().toString();
    return out;
}

inline QStringList fulszam(TestDatabase& db)
{
    QStringList out;
    for (const QStringList& row : db.rows(QStringLiteral("SELECT ufultol, ufulig FROM fulszam ORDER BY idu")))
        out << row.join(u'-');
    return out;
}

}  // namespace fixture
