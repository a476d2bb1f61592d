#pragma once

#include "core/dataset.h"
#include "storage/ear_tag_runs.h"
#include "ui/sharedwork.h"

#include <QDialog>
#include <QString>

class DBGrid;
class DBNavigator;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Session;
namespace input {
class LongJob;
}

// "Beszállító fülszámai": every ear tag one sender ever delivered, live and archived, packed into
// runs of consecutive numbers. "Lekérdezés" collects the sender's ear tags into the work table
// FULSZAM, cuts them in text order into runs and stores the runs in FULSZAM0, which the grid shows
// and which stays for the next visit; "Keresés" shows the runs whose first ear tag begins with the
// typed digits.
//
// FULSZAM and FULSZAM0 are shared by every desk on the database: from "Lekérdezés" until the screen
// closes this desk holds them.
//
// The sender is the one the screen shows, the current row of the session's partner list (the list
// the sender picker moves): the first partner by name when the screen opens, the one picked with
// "Beszállító" afterwards. A pick is also handed over to the other screens (handOver().partnerCode).
class SenderEarTagRangesDialog : public QDialog {
    Q_OBJECT
public:
    explicit SenderEarTagRangesDialog(Session& session, QWidget* parent = nullptr);

    // "Beszállító": the sender/buyer list as a picker.
    void pickSender();
    // "Lekérdezés": the shown sender's ear tags into FULSZAM, their runs into FULSZAM0, shown.
    void collectRanges();
    // "Keresés": the stored runs whose first ear tag begins with the typed digits.
    void searchRanges();

    // The partner code "Lekérdezés" works for.
    const QString& senderCode() const { return m_senderCode; }

private:
    enum class Step { Done, Failed, Broken };
    enum class WorkTable { EarTags, SenderRuns };  // FULSZAM, FULSZAM0
    // Empties a work table in a transaction that only an explicit commit or rollback ends; the
    // runs shown close first. A failure is rolled back and shown.
    bool emptyInHeldTransaction(WorkTable table);
    bool collectEarTags();
    Step copyArrivals(EarTagRuns::ArrivalTable table, const QString& failed, const QString& broken);
    void storeRanges(input::LongJob& job);
    // Shows the sender again after a commit or rollback closed the partner list.
    void showSender();

    Session& m_session;
    Dataset m_runRows;  // FULSZAM0's runs as the grid shows them
    DataSource m_runRowsSource;
    QString m_senderCode;
    SharedWorkGuard m_sharedWork;
    QGroupBox* m_sender;
    QPushButton* m_pickButton;
    QPushButton* m_collectButton;
    QPushButton* m_cancelButton;
    DBGrid* m_ranges;
    DBNavigator* m_navigator;
    QLabel* m_earTagLabel;
    QLineEdit* m_earTag;
    QPushButton* m_searchButton;
};
