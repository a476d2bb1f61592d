#include "core/index_check.h"

#include "core/convert.h"
#include "db/database_settings.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QRegularExpression>

namespace indexcheck {

Findings readReport(const QStringList& lines)
{
    static const QRegularExpression timeOfDay(QStringLiteral("^\\s*\\d{1,2}:\\d\\d:\\d\\d(\\.\\d+)?\\s+"));
    static const QRegularExpression relation(QStringLiteral("^Relation\\s+\\d+\\s+\\(([^)]*)\\)"));
    static const QRegularExpression index(QStringLiteral("^Index\\s+(\\d+)\\s+\\(([^)]*)\\)"));
    static const QRegularExpression problem(QStringLiteral("^(Error|Warning):\\s*(.*)$"));
    static const QRegularExpression indexNumber(QStringLiteral("\\bIndex\\s+(\\d+)\\b"));

    Findings out;
    QString table;
    QHash<int, QString> names;  // the current table's indexes by their number
    QList<int> damaged;         // numbers of its damaged indexes, named once the table is done
    const auto tableDone = [&] {
        for (const int n : damaged) {
            const QString name = names.value(n);
            if (name.isEmpty()) {
                out.otherDamage << QStringLiteral("%1: %2. index").arg(table).arg(n);
                continue;
            }
            const DamagedIndex d{table, name};
            if (!out.indexes.contains(d))
                out.indexes << d;
        }
        damaged.clear();
        names.clear();
    };
    for (const QString& raw : lines) {
        QString line = raw;
        line.remove(timeOfDay);
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1String("Validation finished"))) {
            out.finished = true;
            continue;
        }
        if (const auto m = relation.match(line); m.hasMatch()) {
            // "Relation 130 (BESZALL)" opens a table, "… is ok" or "… : 2 ERRORS found" closes it.
            tableDone();
            table = m.captured(1).trimmed();
            continue;
        }
        if (const auto m = index.match(line); m.hasMatch()) {
            names.insert(m.captured(1).toInt(), m.captured(2).trimmed());
            continue;
        }
        if (const auto m = problem.match(line); m.hasMatch()) {
            const QString text = m.captured(2).trimmed();
            if (const auto n = indexNumber.match(text); n.hasMatch()) {
                if (!damaged.contains(n.captured(1).toInt()))
                    damaged << n.captured(1).toInt();
            } else if (m.captured(1) == QLatin1String("Error")) {
                out.otherDamage << (table.isEmpty() ? text : QStringLiteral("%1: %2").arg(table, text));
            }
        }
    }
    tableDone();
    return out;
}

namespace {

QString quoted(const QString& name) { return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"'; }

// Every row of a query on the system tables, its columns as trimmed text.
QList<QStringList> systemRows(fb::Attachment& att, const QString& sql, const QString& index)
{
    fb::Transaction tra;
    tra.startReadOnly(att);
    QList<QStringList> rows;
    {
        fb::Statement st(att, tra, sql);
        st.bind(QStringLiteral("p0"), fb::Value::fromText(index));
        auto cursor = st.openCursor();
        const fb::Columns& columns = cursor->columns();
        std::vector<unsigned char> buffer(columns.messageLength() + 8);
        while (cursor->fetchNext(buffer.data())) {
            QStringList row;
            for (int i = 0; i < columns.count(); ++i)
                row << columns.text(buffer.data(), i).trimmed();
            rows << row;
        }
    }
    tra.commit();
    return rows;
}

}  // namespace

void rebuildIndex(fb::Attachment& att, const QString& index)
{
    const QList<QStringList> constraint = systemRows(
        att,
        QStringLiteral("SELECT c.rdb$constraint_name, c.rdb$constraint_type, c.rdb$relation_name, "
                       "COALESCE(i.rdb$index_type, 0) FROM rdb$relation_constraints c "
                       "JOIN rdb$indices i ON i.rdb$index_name = c.rdb$index_name "
                       "WHERE c.rdb$index_name = :p0 AND c.rdb$constraint_type IN ('PRIMARY KEY', 'UNIQUE')"),
        index);
    QStringList statements;
    if (constraint.isEmpty()) {
        statements << QStringLiteral("ALTER INDEX %1 INACTIVE").arg(quoted(index))
                   << QStringLiteral("ALTER INDEX %1 ACTIVE").arg(quoted(index));
    } else {
        const QStringList& c = constraint.first();
        QStringList columns;
        for (const QStringList& segment :
             systemRows(att,
                        QStringLiteral("SELECT rdb$field_name FROM rdb$index_segments WHERE rdb$index_name = :p0 "
                                       "ORDER BY rdb$field_position"),
                        index))
            columns << quoted(segment.first());
        const QString table = quoted(c.at(2));
        statements << QStringLiteral("ALTER TABLE %1 DROP CONSTRAINT %2").arg(table, quoted(c.at(0)))
                   << QStringLiteral("ALTER TABLE %1 ADD CONSTRAINT %2 %3 (%4) USING %5INDEX %6")
                          .arg(table, quoted(c.at(0)), c.at(1), columns.join(QStringLiteral(", ")),
                               c.at(3) == QLatin1String("1") ? QStringLiteral("DESCENDING ") : QString(),
                               quoted(index));
    }
    fb::Transaction tra;
    tra.start(att);
    try {
        for (const QString& sql : statements) {
            fb::Statement st(att, tra, sql, false);
            st.execute();
        }
        tra.commit();
    } catch (...) {
        try {
            tra.rollback();
        } catch (...) {
        }
        throw;
    }
}

QString runMarker(const QString& database)
{
    if (database.isEmpty() || dbsettings::isOnServer(database))
        return {};
    return database + QStringLiteral(".running");
}

bool endedUncleanly(const QString& database)
{
    const QString marker = runMarker(database);
    return !marker.isEmpty() && QFile::exists(marker);
}

void markRunning(const QString& database)
{
    const QString marker = runMarker(database);
    if (marker.isEmpty())
        return;
    QFile file(marker);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    const QString text =
        QStringLiteral("A Gerundo ezzel az adatbázissal fut: %1\nIndítva: %2, folyamat: %3\n"
                       "A program szabályos befejezéskor törli ezt a fájlt. Ha a program nem fut, és a fájl "
                       "mégis itt van, a legutóbbi futás nem ért véget rendben: a következő indításkor a "
                       "program ellenőrzi az adatbázis indexeit.\n")
            .arg(database, convert::dateTimeToText(QDateTime::currentDateTime()))
            .arg(QCoreApplication::applicationPid());
    file.write(text.toUtf8());
    file.flush();
}

void markCleanEnd(const QString& database)
{
    const QString marker = runMarker(database);
    if (!marker.isEmpty())
        QFile::remove(marker);
}

}  // namespace indexcheck
