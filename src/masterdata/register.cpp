#include "masterdata/register.h"

#include "db/error.h"
#include "storage/session.h"
#include "ui/platform.h"
#include "ui/validation.h"

#include <QLineEdit>

namespace masterdata {

Register carrierRegister(Session& session)
{
    return {&session.carriers(), &session.handOver().carrierCode,
            [&session](const QString& code) { return session.arrivals().countWithCarrier(code); },
            [&session](const QString& code) { return session.departures().countWithCarrier(code); }};
}

Register partnerRegister(Session& session)
{
    return {&session.partners(), &session.handOver().partnerCode,
            [&session](const QString& code) { return session.arrivals().countWithSender(code); },
            [&session](const QString& code) { return session.departures().countWithBuyer(code); }};
}

void locateRemembered(const Register& reg) { reg.store->locateRemembered(*reg.rememberedCode); }

void reloadOnRemembered(const Register& reg)
{
    reg.store->openList();
    locateRemembered(reg);
}

void deleteCurrentRow(QWidget* screen, Session& session, const Register& reg, const Deletion& deletion)
{
    try {
        Dataset& list = reg.store->list();
        const QString code = list.fieldText(reg.store->codeField());
        const qint64 arrivals = reg.arrivalsUsing(code);
        const qint64 departures = reg.departuresUsing(code);
        if (arrivals != 0 || departures != 0) {
            platform::confirmYes(screen, QStringLiteral("Nem törölhetö, már használatban van  !"));
            return;
        }
        if (list.recordCount() <= 1)
            return;
        SharedTransaction& tra = session.transaction();
        try {
            if (!tra.inTransaction())
                tra.startTransaction();
            reg.store->remove(code);
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

bool saveRow(QWidget* dialog, Session& session, const Register& reg, EntryMode mode, const QString& rowId,
             const QString& code, const WriteFailures& failures, std::initializer_list<const QLineEdit*> fields,
             const std::function<void()>& write)
{
    const bool change = mode == EntryMode::Change;
    // A change opened on an empty list has no row behind it: there is nothing to update, and an
    // update keyed on an empty identifier must not reach the database.
    if (change && rowId.trimmed().isEmpty())
        return true;
    SharedTransaction& tra = session.transaction();
    try {
        if (!tra.inTransaction())
            tra.startTransaction();
        try {
            validation::requireStorable(fields);
            write();
            *reg.rememberedCode = code;
            tra.commit();
        } catch (const std::exception& e) {
            const bool refused = validation::sayUnstorableText(dialog, e);
            if (!refused)
                platform::showMessage(dialog, change ? failures.updateFailed : failures.insertFailed);
            tra.rollback();
            if (refused)
                return false;  // nothing was written: the dialog stays for the mended field
        }
    } catch (const std::exception&) {
        // The transaction could not be started or rolled back: keep the input for another try.
        platform::showMessage(dialog, failures.stuck);
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
