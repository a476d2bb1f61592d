#include "core/dbcreate.h"

#include "db/database_settings.h"
#include "db/client.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

// The schema is a resource of a static library: it has to be pulled in explicitly.
static void initSchemaResource() { Q_INIT_RESOURCE(schema); }

namespace dbcreate {

QStringList splitScript(const QString& script)
{
    QStringList out;
    QString term = QStringLiteral(";");
    QString current;
    static const QRegularExpression setTerm(QStringLiteral("^SET\\s+TERM\\s+(\\S+)\\s*$"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression leadingComment(QStringLiteral("^(/\\*.*?\\*/\\s*|--[^\\n]*\\n\\s*)"),
                                                   QRegularExpression::DotMatchesEverythingOption);
    auto flush = [&]() {
        QString bare = current.trimmed();
        current.clear();
        for (auto m = leadingComment.match(bare); m.hasMatch(); m = leadingComment.match(bare))
            bare = bare.mid(m.capturedLength());
        if (bare.isEmpty())
            return;
        // "SET TERM x <old terminator>" switches the terminator; other isql commands are dropped.
        const auto t = setTerm.match(bare);
        if (t.hasMatch()) {
            term = t.captured(1);
            return;
        }
        const QString upper = bare.toUpper();
        if (upper == QLatin1String("COMMIT") || upper.startsWith(QLatin1String("SET ")))
            return;
        out << bare;
    };
    const int n = static_cast<int>(script.size());
    for (int i = 0; i < n;) {
        const QChar c = script.at(i);
        if (c == u'/' && i + 1 < n && script.at(i + 1) == u'*') {
            int j = script.indexOf(QStringLiteral("*/"), i + 2);
            j = j < 0 ? n : j + 2;
            current += script.mid(i, j - i);
            i = j;
        } else if (c == u'-' && i + 1 < n && script.at(i + 1) == u'-') {
            int j = script.indexOf(u'\n', i);
            j = j < 0 ? n : j + 1;
            current += script.mid(i, j - i);
            i = j;
        } else if (c == u'\'' || c == u'"') {
            int j = i + 1;
            while (j < n && script.at(j) != c)
                ++j;
            j = std::min(n, j + 1);
            current += script.mid(i, j - i);
            i = j;
        } else if (script.mid(i, term.size()) == term) {
            flush();
            i += static_cast<int>(term.size());
        } else {
            current += c;
            ++i;
        }
    }
    flush();
    return out;
}

QString builtinSchema()
{
    initSchemaResource();
    QFile f(QStringLiteral(":/gerundo/schema.sql"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

void createDatabase(const QString& path, const QString& schema)
{
    const bool onServer = dbsettings::isOnServer(path);
    // A server refuses an existing file itself.
    if (!onServer && QFile::exists(path))
        throw fb::Error(QStringLiteral("Az adatbázisfájl már létezik: %1").arg(path));
    fb::preparePerUserLockDirectory();
    const QStringList statements = splitScript(schema);
    if (statements.isEmpty())
        throw fb::Error(QStringLiteral("Az adatbázis leírása (a séma) üres."));
    fb::Attachment att;
    att.create(dbsettings::params(path));
    try {
        for (const QString& stmt : statements)
            att.executeImmediate(stmt);
    } catch (...) {
        // Nothing half made stays behind, on a server either.
        try {
            att.drop();
        } catch (const fb::Error&) {
        }
        if (!onServer)
            QFile::remove(path);
        throw;
    }
    att.detach();
}

QList<IndexDefinition> schemaIndexes(const QString& schema)
{
    static const QRegularExpression createIndex(
        QStringLiteral("^CREATE\\s+(?:UNIQUE\\s+)?(?:(?:ASC|ASCENDING|DESC|DESCENDING)\\s+)?INDEX\\s+(\\w+)\\s+ON\\b"),
        QRegularExpression::CaseInsensitiveOption);
    QList<IndexDefinition> out;
    for (const QString& statement : splitScript(schema)) {
        const auto m = createIndex.match(statement);
        if (m.hasMatch())
            out.append({m.captured(1).toUpper(), statement});  // unquoted names are stored in capitals
    }
    return out;
}

namespace {
QSet<QString> namesIn(fb::Attachment& att, const QString& sql)
{
    QSet<QString> out;
    fb::Transaction tra;
    tra.start(att);
    {
        fb::Statement names(att, tra, sql);
        auto cursor = names.openCursor();
        std::vector<unsigned char> row(cursor->columns().messageLength() + 8);
        while (cursor->fetchNext(row.data()))
            out.insert(cursor->columns().text(row.data(), 0));
    }
    tra.commit();
    return out;
}
}  // namespace

QStringList schemaTablesWithRows(const QString& schema, QList<QStringList>* statements)
{
    static const QRegularExpression createTable(QStringLiteral("^CREATE\\s+TABLE\\s+(\\w+)"),
                                                QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression insertInto(QStringLiteral("^INSERT\\s+INTO\\s+(\\w+)"),
                                               QRegularExpression::CaseInsensitiveOption);
    QStringList tables;
    QList<QStringList> perTable;
    for (const QString& statement : splitScript(schema)) {
        if (const auto m = createTable.match(statement); m.hasMatch()) {
            tables << m.captured(1).toUpper();
            perTable << QStringList{statement};
        } else if (const auto i = insertInto.match(statement); i.hasMatch()) {
            const qsizetype at = tables.indexOf(i.captured(1).toUpper());
            if (at >= 0)
                perTable[at] << statement;
        }
    }
    if (statements)
        *statements = perTable;
    return tables;
}

UpgradeResult upgradeDatabase(const QString& path, const QString& schema)
{
    if (!dbsettings::isOnServer(path) && !QFile::exists(path))
        throw fb::Error(QStringLiteral("Nincs ilyen adatbázisfájl: %1").arg(path));
    fb::preparePerUserLockDirectory();
    fb::Attachment att;
    att.attach(dbsettings::params(path));
    UpgradeResult result;
    // Tables first (the indexes may be on them), each with the rows the schema gives it.
    const QSet<QString> tablesPresent =
        namesIn(att, QStringLiteral("SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS"));
    QList<QStringList> tableStatements;
    const QStringList tables = schemaTablesWithRows(schema, &tableStatements);
    for (qsizetype t = 0; t < tables.size(); ++t) {
        if (tablesPresent.contains(tables[t]))
            continue;
        try {
            for (const QString& statement : tableStatements[t])
                att.executeImmediate(statement);
            result.createdTables << tables[t];
        } catch (const fb::Error& e) {
            result.refused.append({tables[t], e.message()});
        }
    }
    const QSet<QString> present = namesIn(att, QStringLiteral("SELECT TRIM(RDB$INDEX_NAME) FROM RDB$INDICES"));
    for (const IndexDefinition& index : schemaIndexes(schema)) {
        if (present.contains(index.name))
            continue;
        try {
            att.executeImmediate(index.statement);
            result.created << index.name;
        } catch (const fb::Error& e) {
            // A unique index over duplicated codes, say: the others are still worth having.
            result.refused.append({index.name, e.message()});
        }
    }
    att.detach();
    return result;
}

}  // namespace dbcreate
