#pragma once

#include "maintenance/day_transfer.h"
#include "ui/sharedwork.h"

#include <QDialog>

class DBGrid;
class DBNavigator;
class QLabel;
class QLineEdit;
class QPushButton;

// A screen that moves the finished business of one dispatch day between the live tables and the
// archive: the user types the day, "Kiválaszt" lists its departures, and the run button moves
// them with the arrivals of the same ear tags. While a run goes the screen takes no input and
// cannot be closed; the message line tells the step reached and the rows moved so far. A run uses
// the work table FULSZAM and moves whole days, which no other desk on the database may do at the
// same time: from the run until the screen closes this desk holds both.
class DayTransferDialog : public QDialog {
    Q_OBJECT
public:
    // The archiving screen or the withdrawal screen (ArchiveDialog, ArchiveWithdrawalDialog).
    DayTransferDialog(QWidget* parent, maintenance::TransferDirection direction);
    // Rows per statement of a run; 0 (the default) chooses from the size of the day.
    void setBatchRows(int rows) { m_batchRows = rows; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    void onDispatchDateLeft();
    void selectDay();
    void runTransfer();
    void setRunning(bool running);
    void openDayList(const QStringList& sql, const QDate& day);

    maintenance::TransferDirection m_direction;
    SharedWorkGuard m_sharedWork;
    int m_batchRows = 0;
    bool m_shown = false;
    bool m_running = false;

    QLabel* m_dateLabel;
    QLineEdit* m_dispatchDate;
    QLabel* m_description;
    QLabel* m_messageLine;
    QLabel* m_listLabel;
    DBGrid* m_dayList;
    DBNavigator* m_navigator;
    QPushButton* m_selectButton;
    QPushButton* m_runButton;
    QPushButton* m_cancelButton;
};

// "Archiválás": moves a dispatch day from the live tables into the archive.
class ArchiveDialog : public DayTransferDialog {
    Q_OBJECT
public:
    explicit ArchiveDialog(QWidget* parent = nullptr);
};

// "Arhiválás visszavonása": moves an archived dispatch day back into the live tables.
class ArchiveWithdrawalDialog : public DayTransferDialog {
    Q_OBJECT
public:
    explicit ArchiveWithdrawalDialog(QWidget* parent = nullptr);
};
