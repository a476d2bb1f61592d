#include "masterdata/register.h"

#include "core/datamodule.h"
#include "core/handover.h"
#include "db/error.h"
#include "ui/platform.h"
#include "ui/validation.h"

#include <QLineEdit>

namespace masterdata {

Register carrierRegister()
{
    return {&Data->ZQ30,
            &Data->ZQ31,
            QStringLiteral("skod"),
            &handOver().carrierCode,
            QStringLiteral("SELECT srendszam, snev, scim, sjovaszam, skod, IDs FROM szallito "),
            QStringLiteral("       ORDER BY srendszam, snev ")};
}

Register partnerRegister()
{
    return {&Data->ZQ40,
            &Data->ZQ41,
            QStringLiteral("fkod"),
            &handOver().partnerCode,
            QStringLiteral("SELECT fnev, fcim, ftenykod, fsznev, fszcim, fkod, IDf FROM felado "),
            QStringLiteral("       ORDER BY fnev, fcim ")};
}

void reopen(Dataset& list, const QStringList& lines)
{
    list.close();
    list.clearSql();
    for (const QString& line : lines)
        list.addSql(line);
    list.open();
}

void locateRemembered(const Register& reg)
{
    Dataset& list = *reg.list;
    const QString& code = *reg.rememberedCode;
    if (!list.active())
        return;
    if (!code.isEmpty() && list.locate(reg.codeField, code, {true, false}))
        return;
    list.locate(reg.codeField, code, {true, true});
}

void reloadOnRemembered(const Register& reg)
{
    reopen(*reg.list, {reg.selectLine, reg.defaultOrderLine});
    locateRemembered(reg);
}

namespace {
// How many rows the statement counts for the code, under the given name; no row reads as 0.
qint64 usageCount(Dataset& query, const QStringList& lines, const QString& code, const QString& countField)
{
    query.close();
    query.clearSql();
    for (const QString& line : lines)
        query.addSql(line);
    query.setParamText(QStringLiteral("p1"), code);
    query.open();
    return query.fieldInt(countField);
}
}  // namespace

void deleteCurrentRow(QWidget* screen, const Register& reg, const Deletion& deletion)
{
    try {
        const QString code = reg.list->fieldText(reg.codeField);
        const qint64 arrivals = usageCount(Data->ZQ13, deletion.incomingUse, code, QStringLiteral("dbbe"));
        const qint64 departures = usageCount(Data->ZQ23, deletion.outgoingUse, code, QStringLiteral("dbki"));
        if (arrivals != 0 || departures != 0) {
            platform::confirmYes(screen, QStringLiteral("Nem törölhetö, már használatban van  !"));
            return;
        }
        if (reg.list->recordCount() <= 1)
            return;
        TransactionObject& tra = Data->IBTrans1;
        try {
            if (!tra.inTransaction())
                tra.startTransaction();
            Dataset& w = *reg.writer;
            w.close();
            w.clearSql();
            for (const QString& line : deletion.deleteLines)
                w.addSql(line);
            w.setParamText(QStringLiteral("p1"), code);
            w.execSql();
            tra.commit();
            platform::showMessage(screen, deletion.deleted);
        } catch (const std::exception&) {
            try {
                if (tra.inTransaction())
                    tra.rollback();
            } catch (const std::exception&) {
                // The message below tells the user; the reload shows what is there.
            }
            platform::showMessage(screen, deletion.failed);
        }
    } catch (const std::exception& e) {
        platform::showError(screen, e);
    }
}

bool saveRow(QWidget* dialog, const Register& reg, EntryMode mode, const QString& rowId, const QString& code,
             const Writes& writes, const std::vector<std::pair<QString, const QLineEdit*>>& values)
{
    const bool change = mode == EntryMode::Change;
    // A change opened on an empty list has no row behind it: there is nothing to update, and an
    // update keyed on an empty identifier must not reach the database.
    if (change && rowId.trimmed().isEmpty())
        return true;
    TransactionObject& tra = Data->IBTrans1;
    try {
        if (!tra.inTransaction())
            tra.startTransaction();
        try {
            Dataset& w = *reg.writer;
            w.close();
            w.clearSql();
            for (const QString& line : change ? writes.update : writes.insert)
                w.addSql(line);
            if (change)
                w.setParamText(QStringLiteral("p0"), rowId);
            for (const auto& [name, field] : values)
                validation::bindText(w, name, field);
            w.execSql();
            *reg.rememberedCode = code;
            tra.commit();
        } catch (const std::exception& e) {
            const bool refused = validation::sayUnstorableText(dialog, e);
            if (!refused)
                platform::showMessage(dialog, change ? writes.updateFailed : writes.insertFailed);
            tra.rollback();
            if (refused)
                return false;  // nothing was written: the dialog stays for the mended field
        }
    } catch (const std::exception&) {
        // The transaction could not be started or rolled back: keep the input for another try.
        platform::showMessage(dialog, writes.stuck);
        return false;
    }
    return true;
}

void fillFromCurrentRow(const Dataset& list, std::initializer_list<std::pair<QLineEdit*, QString>> fields)
{
    if (!list.active())
        throw fb::Error(QStringLiteral("A(z) %1 lista nincs megnyitva.").arg(list.name()));
    for (const auto& [edit, column] : fields)
        edit->setText(list.fieldText(column));
}

}  // namespace masterdata
