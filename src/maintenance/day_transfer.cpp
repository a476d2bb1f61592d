#include "maintenance/day_transfer.h"

#include "storage/shared_datasets.h"
#include "db/error.h"
#include "ui/platform.h"

#include <algorithm>

namespace maintenance {

namespace {

// The statements of a run; `from` and `to` are the tables the rows leave and enter. Both copies
// and both deletions are bounded by a batch: departures by a range of their identifiers (:p2 to
// :p3), arrivals by a range of the day's distinct ear tags. A deletion uses the very condition of
// its copy, so it takes exactly the rows the copy took.
QStringList fillWorkListSql(const QString& departuresFrom)
{
    return {QStringLiteral("INSERT  INTO fulszam  "), QStringLiteral("       (ufultol)       "),
            QStringLiteral("       SELECT kfulszam "), QStringLiteral("              FROM %1  ").arg(departuresFrom),
            QStringLiteral("              WHERE kikelt = :p1 ")};
}

QStringList departureKeysSql(const QString& departuresFrom)
{
    return {QStringLiteral("SELECT idk FROM %1 ").arg(departuresFrom), QStringLiteral("       WHERE kikelt = :p1 "),
            QStringLiteral("       ORDER BY idk ")};
}

// Ear tags without a value match no arrival; every range holds distinct ear tags of its own.
QStringList earTagKeysSql()
{
    return {QStringLiteral("SELECT DISTINCT ufultol FROM fulszam "), QStringLiteral("       WHERE ufultol IS NOT NULL "),
            QStringLiteral("       ORDER BY ufultol ")};
}

QStringList copyDeparturesSql(const QString& from, const QString& to)
{
    return {QStringLiteral("INSERT  INTO %1 (kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod) ").arg(to),
            QStringLiteral("       SELECT          kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod  "),
            QStringLiteral("          FROM %1       ").arg(from), QStringLiteral("          WHERE kikelt = :p1 "),
            QStringLiteral("            AND idk BETWEEN :p2 AND :p3 ")};
}

// The arrivals are matched through the work list, which holds the day's ear tags: matching them
// against the departures' date and ear tag instead makes the engine combine both indexes of the
// departures for every arrival row, several times slower on a large table.
QStringList copyArrivalsSql(const QString& from, const QString& to)
{
    return {QStringLiteral("INSERT  INTO %1  ").arg(to),
            QStringLiteral("             (bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod)  "),
            QStringLiteral("       SELECT bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod   "),
            QStringLiteral("            FROM %1  ").arg(from),
            QStringLiteral("         WHERE EXISTS     "),
            QStringLiteral("           (SELECT * FROM fulszam    "),
            QStringLiteral("              WHERE %1.bfulszam = fulszam.ufultol) ").arg(from),
            QStringLiteral("           AND %1.bfulszam BETWEEN :p2 AND :p3 ").arg(from)};
}

QStringList deleteDeparturesSql(const QString& from)
{
    return {QStringLiteral("DELETE FROM %1  ").arg(from), QStringLiteral("       WHERE kikelt = :p1 "),
            QStringLiteral("         AND idk BETWEEN :p2 AND :p3 ")};
}

QStringList deleteArrivalsSql(const QString& from)
{
    return {QStringLiteral("DELETE FROM %1  ").arg(from), QStringLiteral("       WHERE EXISTS     "),
            QStringLiteral("        (SELECT * FROM fulszam    "),
            QStringLiteral("            WHERE %1.bfulszam = fulszam.ufultol) ").arg(from),
            QStringLiteral("         AND %1.bfulszam BETWEEN :p2 AND :p3 ").arg(from)};
}

void bindKey(Dataset& q, const QString& name, qint64 id) { q.setParamInt(name, id); }
void bindKey(Dataset& q, const QString& name, const QString& earTag) { q.setParamText(name, earTag); }

void prepare(Dataset& q, const QStringList& lines)
{
    q.close();
    q.clearSql();
    for (const QString& line : lines)
        q.addSql(line);
}

template <typename Key>
std::vector<std::pair<Key, Key>> cutIntoRanges(const std::vector<Key>& keys, size_t size)
{
    std::vector<std::pair<Key, Key>> ranges;
    for (size_t i = 0; i < keys.size(); i += size)
        ranges.emplace_back(keys[i], keys[std::min(i + size, keys.size()) - 1]);
    return ranges;
}

}  // namespace

const DayTransfer::Texts& DayTransfer::texts(TransferDirection direction)
{
    static const Texts archive{
        QStringLiteral("Kiszállitott adatok átrakása. Kérem várjon..."),
        QStringLiteral("Kiszállitott átrakva."),
        QStringLiteral("Beszállitott adatok átrakása. Kérem várjon..."),
        QStringLiteral("Beszállitott átrakva."),
        QStringLiteral("Kiszállitottból az átrakott adatok törlése. Kérem várjon..."),
        QStringLiteral("Beszállitottból az átrakott adatok törlése. Kérem várjon..."),
        QStringLiteral("Vége. Arhiválás befejezödött."),
        QStringLiteral("Hiba201: Segédállomány fulszam-ban, INSERT! "),
        QStringLiteral("Hiba202: az insert közben a fulszam -ban!"),
        QStringLiteral("Hiba203: Arhiválás kiszall-ban, INSERT-SELECT ! "),
        QStringLiteral("Hiba204: az insert közben a fulszam -ban!"),
        QStringLiteral("Hiba205: Arhiválás beszall-ban, INSERT-SELECT ! "),
        QStringLiteral("Hiba206: az insert közben a fulszam -ban!"),
        QStringLiteral("Hiba207: az insert közben a fulszam -ban!"),
    };
    static const Texts withdraw{
        QStringLiteral("Kiszállitott adatok átrakása. Kérem várjon..."),
        QStringLiteral("Kiszállitott visszarakva."),
        QStringLiteral("Beszállitott adatok visszarakása. Kérem várjon..."),
        QStringLiteral("Beszállitott visszarakva."),
        QStringLiteral("Archiv kiszállitottból az visszarakott adatok törlése. Kérem várjon..."),
        QStringLiteral("Beszállitottból az átrakott adatok törlése. Kérem várjon..."),
        QStringLiteral("Vége. Visszarakás befejezödött."),
        QStringLiteral("Hiba211: Segédállomány fulszam-ban, INSERT! "),
        QStringLiteral("Hiba212: az insert közben a fulszam -ban!"),
        QStringLiteral("Hiba213: Arhiválás kiszall-ban, INSERT-SELECT ! "),
        QStringLiteral("Hiba214: az insert közben a fulszam -ban!"),
        QStringLiteral("Hiba215: Arhiválás beszall-ban, INSERT-SELECT ! "),
        QStringLiteral("Hiba216: az insert közben a fulszam -ban!"),
        QStringLiteral("Hiba217: az insert közben a fulszam -ban!"),
    };
    return direction == TransferDirection::Archive ? archive : withdraw;
}

DayTransfer::DayTransfer(TData& data, TransferDirection direction, const QDate& day, Reporting reporting)
    : m_data(data), m_texts(texts(direction)), m_day(day), m_report(std::move(reporting))
{
    const bool archive = direction == TransferDirection::Archive;
    m_departuresFrom = archive ? QStringLiteral("kiszall") : QStringLiteral("kiszall0");
    m_departuresTo = archive ? QStringLiteral("kiszall0") : QStringLiteral("kiszall");
    m_arrivalsFrom = archive ? QStringLiteral("beszall") : QStringLiteral("beszall0");
    m_arrivalsTo = archive ? QStringLiteral("beszall0") : QStringLiteral("beszall");
}

bool DayTransfer::run()
{
    m_departures = m_arrivals = 0;
    if (!step({}, {}, [this] { emptyWorkList(); }) ||
        !step(m_texts.fillFailed, m_texts.fillGuard, [this] { fillWorkList(); }) ||
        !step(m_texts.copyDeparturesFailed, m_texts.copyDeparturesGuard, [this] { copyDepartures(); }) ||
        !step(m_texts.copyArrivalsFailed, m_texts.copyArrivalsGuard, [this] { copyArrivals(); }) ||
        !step(m_texts.deleteFailed, {}, [this] { deleteAndCommit(); }))
        return false;
    // Said only once the commit went through: before it, nothing has moved yet.
    m_report.messageLine(m_texts.done + QStringLiteral(" %1 kiszállitott, %2 beszállitott tétel.")
                                            .arg(m_departures)
                                            .arg(m_arrivals));
    m_report.pump(true);
    return true;
}

bool DayTransfer::step(const QString& failed, const QString& guard, const std::function<void()>& work)
{
    const auto say = [this](const QString& numbered, const std::exception& e) {
        if (numbered.isEmpty())
            m_report.error(platform::errorText(e));
        else
            m_report.failure(numbered);
    };
    try {
        // Only the run's own commit or rollback may end its transaction: no dataset closing on
        // the way commits half of it.
        m_data.holdTransaction();
        try {
            work();
            return true;
        } catch (const std::exception& e) {
            say(failed, e);
            // Everything the run did so far goes, the copies with the deletions: the day stays
            // whole where it was, and nothing half done waits in the transaction for a later commit.
            if (m_data.IBTrans1.inTransaction())
                m_data.IBTrans1.rollback();
            return false;
        }
    } catch (const std::exception& e) {
        say(guard, e);
        return false;
    }
}

// The work list steps show no text of their own, but on a large day they take a while too.
void DayTransfer::emptyWorkList()
{
    Dataset& q = m_data.ZQ23;
    prepare(q, {QStringLiteral("DELETE FROM fulszam  ")});
    q.execSql();
    m_report.pump(true);
}

void DayTransfer::fillWorkList()
{
    Dataset& q = m_data.ZQ23;
    prepare(q, fillWorkListSql(m_departuresFrom));
    q.setParamDate(QStringLiteral("p1"), m_day);
    q.execSql();
    m_report.pump(true);
}

void DayTransfer::copyDepartures()
{
    readDepartureKeys();
    show(m_texts.copyingDepartures, 0, m_dayDepartures);
    m_report.pump(true);
    Dataset& q = m_data.ZQ22;
    prepare(q, copyDeparturesSql(m_departuresFrom, m_departuresTo));
    q.setParamDate(QStringLiteral("p1"), m_day);
    m_departures = runBatches(q, m_idRanges, m_texts.copyingDepartures, m_dayDepartures);
    show(m_texts.departuresCopied, m_departures);
    m_report.pump(true);
}

void DayTransfer::copyArrivals()
{
    readEarTagRanges();
    show(m_texts.copyingArrivals, 0);
    m_report.pump(true);
    Dataset& q = m_data.ZQ13;
    prepare(q, copyArrivalsSql(m_arrivalsFrom, m_arrivalsTo));
    m_arrivals = runBatches(q, m_earTagRanges, m_texts.copyingArrivals);
    show(m_texts.arrivalsCopied, m_arrivals);
    m_report.pump(true);
}

void DayTransfer::deleteAndCommit()
{
    show(m_texts.deletingDepartures, 0, m_departures);
    m_report.pump(true);
    Dataset& out = m_data.ZQ23;
    prepare(out, deleteDeparturesSql(m_departuresFrom));
    out.setParamDate(QStringLiteral("p1"), m_day);
    const qint64 departures = runBatches(out, m_idRanges, m_texts.deletingDepartures, m_departures);
    // Another connection may have changed the day meanwhile (a server shared by several desks):
    // then the deletion is not the copy's twin, and the whole run goes back.
    if (departures != m_departures)
        throw fb::Error(QStringLiteral("%1 kiszállítás törlődött, de %2 lett átmásolva; semmi sem változott.").arg(departures).arg(m_departures));

    show(m_texts.deletingArrivals, 0, m_arrivals);
    m_report.pump(true);
    Dataset& in = m_data.ZQ13;
    prepare(in, deleteArrivalsSql(m_arrivalsFrom));
    const qint64 arrivals = runBatches(in, m_earTagRanges, m_texts.deletingArrivals, m_arrivals);
    if (arrivals != m_arrivals)
        throw fb::Error(QStringLiteral("%1 beszállítás törlődött, de %2 lett átmásolva; semmi sem változott.").arg(arrivals).arg(m_arrivals));
    m_data.IBTrans1.commit();
}

template <typename Key>
qint64 DayTransfer::runBatches(Dataset& q, const std::vector<std::pair<Key, Key>>& ranges, const QString& text,
                               qint64 total)
{
    qint64 done = 0;
    for (const auto& [first, last] : ranges) {
        bindKey(q, QStringLiteral("p2"), first);
        bindKey(q, QStringLiteral("p3"), last);
        q.execSql();
        done += q.rowsAffected();
        show(text, done, total);
        m_report.pump(false);
    }
    return done;
}

void DayTransfer::readDepartureKeys()
{
    const QStringList texts = firstColumn(departureKeysSql(m_departuresFrom));
    std::vector<qint64> ids;
    ids.reserve(static_cast<size_t>(texts.size()));
    for (const QString& id : texts)
        ids.push_back(id.toLongLong());
    m_dayDepartures = static_cast<qint64>(ids.size());
    m_idRanges = cutIntoRanges(ids, static_cast<size_t>(batchSize(ids.size())));
}

void DayTransfer::readEarTagRanges()
{
    const QStringList texts = firstColumn(earTagKeysSql());
    const std::vector<QString> tags(texts.begin(), texts.end());
    m_earTagRanges = cutIntoRanges(tags, static_cast<size_t>(batchSize(tags.size())));
}

QStringList DayTransfer::firstColumn(const QStringList& sql)
{
    Dataset& q = m_data.ZQ23;
    prepare(q, sql);
    q.setParamDate(QStringLiteral("p1"), m_day);
    q.open();
    QStringList out;
    const int n = q.recordCount();
    out.reserve(n);
    for (int r = 0; r < n; ++r)
        out << q.cellText(r, 0);
    q.close();
    return out;
}

// About twenty statements a step: short enough to repaint between them, few enough to cost little.
int DayTransfer::batchSize(size_t keys) const
{
    if (m_batchRows > 0)
        return m_batchRows;
    return std::max<int>(1000, static_cast<int>((keys + 19) / 20));
}

void DayTransfer::show(const QString& text, qint64 done, qint64 total)
{
    m_report.messageLine(total >= 0 ? QStringLiteral("%1 %2 / %3 tétel").arg(text).arg(done).arg(total)
                                    : QStringLiteral("%1 %2 tétel").arg(text).arg(done));
}

}  // namespace maintenance
