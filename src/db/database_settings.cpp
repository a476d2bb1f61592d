#include "db/database_settings.h"

#include <QtGlobal>

namespace dbsettings {

namespace {
QString fromEnvironment(const char* name, const QString& fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}
}  // namespace

QString database() { return fromEnvironment("GERUNDO_DATABASE", kDefaultDatabase); }

fb::ConnectParams params(const QString& database)
{
    fb::ConnectParams p;
    p.database = database;
    p.user = fromEnvironment("GERUNDO_USER", QStringLiteral("SYSDBA"));
    p.password = fromEnvironment("GERUNDO_PASSWORD", QStringLiteral("medvehagy"));
    p.charset = QStringLiteral("WIN1250");
    p.dialect = 3;
    return p;
}

fb::ConnectParams programParams() { return params(database()); }

bool isOnServer(const QString& database)
{
    static const QStringList protocols = {QStringLiteral("inet://"), QStringLiteral("inet4://"),
                                          QStringLiteral("inet6://"), QStringLiteral("xnet://"),
                                          QStringLiteral("wnet://")};
    for (const QString& p : protocols)
        if (database.startsWith(p, Qt::CaseInsensitive))
            return true;
    // As the client library reads it: text before the first ':' names the host (with "/port"),
    // unless it is the beginning of a path.
    const qsizetype colon = database.indexOf(u':');
    if (colon <= 0)
        return false;
    const QString host = database.left(colon);
    return !host.startsWith(u'/') && !host.startsWith(u'.');
}

}  // namespace dbsettings
