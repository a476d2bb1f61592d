#include "maintenance/backup_restore.h"

#include "db/database_settings.h"
#include "storage/shared_datasets.h"
#include "db/service.h"
#include "ui/longjob.h"
#include "ui/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace backup {

namespace {

std::function<void(RestoreStep)> g_stepHook;

void reached(RestoreStep step)
{
    if (g_stepHook)
        g_stepHook(step);
}

QString stamped(const QString& database, const QString& stamp, const QString& suffix)
{
    return QFileInfo(database).completeBaseName() + u'-' + stamp + suffix;
}

// The name in dir, or with "-2", "-3" … before the suffix when a file of that name is there already.
QString freeName(const QDir& dir, const QString& name)
{
    const QFileInfo info(name);
    QString candidate = name;
    for (int n = 2; dir.exists(candidate); ++n)
        candidate = info.completeBaseName() + u'-' + QString::number(n) + u'.' + info.suffix();
    return dir.filePath(candidate);
}

QString errorText(const std::exception& e)
{
    if (const auto* f = dynamic_cast<const fb::Error*>(&e))
        return f->message();
    return platform::errorText(e);
}

// Opens the module's connection again, with its transaction, as at start-up.
void reconnect(TData& data)
{
    data.ZCon1.setConnected(true);
    data.IBTrans1.startTransaction();
}

}  // namespace

QString backupFileName(const QString& database, const QDateTime& at)
{
    return stamped(database, at.toString(QStringLiteral("yyyy-MM-dd-HHmm")), QStringLiteral(".fbk"));
}

QString keptFileName(const QString& database, const QDateTime& at)
{
    return stamped(database, at.toString(QStringLiteral("yyyy-MM-dd-HHmmss")), QStringLiteral(".fdb"));
}

const QStringList& requiredTables()
{
    static const QStringList tables = {
        QStringLiteral("SZALLITO"), QStringLiteral("FELADO"),   QStringLiteral("BESZALL"),  QStringLiteral("KISZALL"),
        QStringLiteral("FULSZAM"),  QStringLiteral("FULSZAM0"), QStringLiteral("BESZALL0"), QStringLiteral("KISZALL0"),
        QStringLiteral("PARTNER"),  QStringLiteral("KISZALL1")};
    return tables;
}

QStringList missingTables(const QString& file)
{
    fb::Attachment att;
    att.attach(dbsettings::params(file));
    fb::Transaction tra;
    tra.startReadOnly(att);
    QStringList present;
    {
        fb::Statement st(att, tra,
                         QStringLiteral("SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS "
                                        "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 AND RDB$VIEW_BLR IS NULL"));
        auto cursor = st.openCursor();
        std::vector<unsigned char> row(cursor->columns().messageLength() + 8);
        while (cursor->fetchNext(row.data()))
            present << cursor->columns().text(row.data(), 0);
    }
    tra.commit();
    att.detach();
    QStringList missing;
    for (const QString& t : requiredTables())
        if (!present.contains(t))
            missing << t;
    return missing;
}

void setRestoreStepHookForTests(std::function<void(RestoreStep)> hook) { g_stepHook = std::move(hook); }

bool backUp(QWidget* window, TData& data)
{
    const QString database = data.ZCon1.params.database;
    const bool onServer = dbsettings::isOnServer(database);
    try {
        if (data.IBTrans1.pendingWrites() > 0) {
            if (!platform::askYesNo(window, QStringLiteral("Vannak még nem véglegesített módosítások.\n"
                                                           "Véglegesíti őket a mentés előtt?"))) {
                platform::showMessage(window, QStringLiteral("A mentés nem készült el: a nem véglegesített "
                                                             "módosítások nélkül nem lenne teljes."));
                return false;
            }
            data.IBTrans1.commitRetaining();
        }
    } catch (const std::exception& e) {
        platform::showMessage(window, QStringLiteral("A mentés nem sikerült.\n") + errorText(e));
        return false;
    }

    platform::FileDialogSettings dialog;
    dialog.title = onServer ? QStringLiteral("Mentés (a kiszolgáló gépén)") : QStringLiteral("Mentés");
    dialog.filter = QStringLiteral("Firebird mentés (*.fbk)|*.fbk|Minden fájl|*.*");
    dialog.initialDir = onServer ? QString() : QFileInfo(database).absolutePath();
    dialog.fileName = backupFileName(database, QDateTime::currentDateTime());
    const QString file = platform::getSaveFileName(window, dialog);
    if (file.isEmpty())
        return false;

    try {
        input::LongJob job(window);
        job.pump(true);
        fb::backupDatabase(data.ZCon1.params, file, [&job](const QString&) { job.pump(); });
    } catch (const std::exception& e) {
        // A half-written file is no backup.
        if (!onServer)
            QFile::remove(file);
        platform::showMessage(window, QStringLiteral("A mentés nem sikerült.\n") + errorText(e));
        return false;
    }
    platform::showMessage(window, onServer ? QStringLiteral("A mentés elkészült a kiszolgáló gépén:\n") + file
                                           : QStringLiteral("A mentés elkészült:\n") + file);
    return true;
}

bool restore(QWidget* window, TData& data)
{
    const QString database = data.ZCon1.params.database;
    if (dbsettings::isOnServer(database)) {
        platform::showMessage(window,
                              QStringLiteral("A kiszolgálón lévő adatbázist (%1) a program nem tölti vissza: "
                                             "más munkahelyek is használhatják.\nA visszatöltést a kiszolgáló "
                                             "gépén, a többi munkahely kiléptetése után kell elvégezni.")
                                  .arg(database));
        return false;
    }

    platform::FileDialogSettings dialog;
    dialog.title = QStringLiteral("Visszatöltés");
    dialog.filter = QStringLiteral("Firebird mentés (*.fbk)|*.fbk|Minden fájl|*.*");
    dialog.initialDir = QFileInfo(database).absolutePath();
    const QString file = platform::getOpenFileName(window, dialog);
    if (file.isEmpty())
        return false;
    if (!platform::askYesNo(window, QStringLiteral("A visszatöltés az adatbázist a mentés tartalmára cseréli:\n%1\n"
                                                   "A mostani adatbázis dátummal ellátott néven megmarad a "
                                                   "mappájában.\nFolytatja?")
                                        .arg(QDir::toNativeSeparators(file))))
        return false;

    const QFileInfo live(database);
    const QDir folder = live.absoluteDir();
    const QString livePath = live.absoluteFilePath();
    const QString staging = freeName(folder, live.completeBaseName() + QStringLiteral("-visszatoltes.fdb"));
    auto failed = [&](const QString& why) {
        QFile::remove(staging);
        platform::showMessage(window, QStringLiteral("A visszatöltés nem sikerült, az adatbázis nem változott.\n") + why);
        return false;
    };

    // 1. Into a new file beside the database, read whole and checked, while the program still
    // works on its own file.
    try {
        input::LongJob job(window);
        job.pump(true);
        fb::restoreDatabase(dbsettings::params(staging), file, false, [&job](const QString&) { job.pump(); });
        reached(RestoreStep::Restored);
        const QStringList missing = missingTables(staging);
        if (!missing.isEmpty())
            return failed(QStringLiteral("A mentésből hiányzik: ") + missing.join(QStringLiteral(", ")));
        reached(RestoreStep::Checked);
    } catch (const std::exception& e) {
        return failed(errorText(e));
    }

    // 2. The swap. Pending work goes into the file that is kept, as at the program's end.
    const QString kept = freeName(folder, keptFileName(database, QDateTime::currentDateTime()));
    bool originalMoved = false;
    bool restoredInPlace = false;
    try {
        if (data.IBTrans1.inTransaction())
            data.IBTrans1.commitRetaining();
        data.ZCon1.close();
        reached(RestoreStep::Disconnected);
        if (!QFile::rename(livePath, kept))
            throw fb::Error(QStringLiteral("Az adatbázis nem nevezhető át: %1").arg(livePath));
        originalMoved = true;
        reached(RestoreStep::OriginalKept);
        if (!QFile::rename(staging, livePath))
            throw fb::Error(QStringLiteral("A visszatöltött adatbázis nem tehető a helyére: %1").arg(livePath));
        restoredInPlace = true;
        reached(RestoreStep::RestoredInPlace);
        reconnect(data);
        reached(RestoreStep::Reconnected);
    } catch (const std::exception& e) {
        // Back to the original file, whatever step failed.
        QString why = errorText(e);
        data.ZCon1.close();
        if (restoredInPlace)
            QFile::rename(livePath, staging);
        if (originalMoved && !QFile::rename(kept, livePath))
            why += QStringLiteral("\nAz eredeti adatbázis itt maradt: ") + kept;
        try {
            reconnect(data);
        } catch (const std::exception& again) {
            why += QStringLiteral("\nA program nem tud újra kapcsolódni: ") + errorText(again);
        }
        return failed(why);
    }
    platform::showMessage(window, QStringLiteral("A visszatöltés kész: %1\nAz előző adatbázis megmaradt: %2")
                                      .arg(QDir::toNativeSeparators(file), QDir::toNativeSeparators(kept)));
    return true;
}

}  // namespace backup
