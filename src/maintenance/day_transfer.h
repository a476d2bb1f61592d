#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class Dataset;
class TData;

namespace maintenance {

// Which way a dispatch day moves: from the live tables into the archive, or back.
enum class TransferDirection { Archive, Withdraw };

// Moves one dispatch day: every departure of that day, and every arrival whose ear tag is the ear
// tag of one of them (whatever its arrival date), from one pair of tables into the other. The
// day's ear tags are first written to the work table FULSZAM, which keeps them after the run.
//
// Nothing is lost and nothing is copied twice: the whole move is one transaction, committed only
// after both copies and both deletions; any failure rolls all of it back, and a killed program
// leaves the day untouched. Each deletion takes exactly the rows its copy took (same condition,
// counts compared). The work is cut into short statements, so the caller can keep its window
// painted between them and show how many rows have moved.
class DayTransfer {
public:
    // How a run speaks to its screen.
    struct Reporting {
        std::function<void(const QString&)> messageLine;  // the step reached, with its row count
        std::function<void(const QString&)> failure;      // a numbered failure message (plain box)
        std::function<void(const QString&)> error;        // a failure without a number of its own
        std::function<void(bool stepChanged)> pump;       // between two statements
    };

    DayTransfer(TData& data, TransferDirection direction, const QDate& day, Reporting reporting);

    // Rows (or distinct ear tags) per statement; 0 chooses from the size of the day.
    void setBatchRows(int rows) { m_batchRows = rows; }

    // Runs the move; false when it failed (the failure was reported and rolled back).
    bool run();

    qint64 departuresMoved() const { return m_departures; }
    qint64 arrivalsMoved() const { return m_arrivals; }

    // The message line texts of a run, in the order they appear, and its failure messages.
    struct Texts {
        QString copyingDepartures, departuresCopied, copyingArrivals, arrivalsCopied, deletingDepartures,
            deletingArrivals, done;
        QString fillFailed, fillGuard, copyDeparturesFailed, copyDeparturesGuard, copyArrivalsFailed,
            copyArrivalsGuard, deleteFailed;
    };
    static const Texts& texts(TransferDirection direction);

private:
    // One step in the shared transaction: work's failure shows failed and rolls back; a failure to
    // start the transaction or to roll back shows guard (the engine's own text when guard is empty).
    bool step(const QString& failed, const QString& guard, const std::function<void()>& work);
    void emptyWorkList();
    void fillWorkList();
    void copyDepartures();
    void copyArrivals();
    void deleteAndCommit();

    // Binds each range in turn as :p2 and :p3, runs the statement, counts the rows on the message
    // line; returns the rows it touched.
    template <typename Key>
    qint64 runBatches(Dataset& q, const std::vector<std::pair<Key, Key>>& ranges, const QString& text,
                      qint64 total = -1);
    void readDepartureKeys();
    void readEarTagRanges();
    QStringList firstColumn(const QStringList& sql);
    int batchSize(size_t keys) const;
    void show(const QString& text, qint64 done, qint64 total = -1);

    TData& m_data;
    const Texts& m_texts;
    QString m_departuresFrom, m_departuresTo, m_arrivalsFrom, m_arrivalsTo;
    QDate m_day;
    Reporting m_report;
    int m_batchRows = 0;

    // Batches: ranges of the day's departure identifiers, and ranges of its distinct ear tags.
    std::vector<std::pair<qint64, qint64>> m_idRanges;
    std::vector<std::pair<QString, QString>> m_earTagRanges;
    qint64 m_dayDepartures = 0;
    qint64 m_departures = 0;
    qint64 m_arrivals = 0;
};

}  // namespace maintenance
