#pragma once

#include "core/eartag_ranges.h"
#include "ui/sharedwork.h"

#include <QDate>
#include <QDialog>
#include <QStringList>

#include <vector>

class DBGrid;
class DBNavigator;
class Dataset;
class QLabel;
class QLineEdit;
class QPushButton;
namespace report {
class Report;
}

// What tells the incoming and the outgoing delivery printout apart: their table, selection,
// statements, messages and reports.
struct DeliveryPrintoutKind;

// A day's deliveries on paper. "Kiválaszt" lists the day's deliveries and rebuilds the work table
// FULSZAM as the day's runs of consecutive ear tags, all or nothing: a failure leaves FULSZAM as it
// was and "Nyomtat" unusable until a "Kiválaszt" succeeds, so a paper never shows another day's
// runs. "Nyomtat" then shows the range list, and when that preview closes, the summary per sender
// (buyer) and carrier. FULSZAM is shared by every desk on the database: from "Kiválaszt" until the
// screen closes this desk holds it, so no other desk rebuilds it under the paper.
class DeliveryPrintoutDialog : public QDialog {
    Q_OBJECT
public:
    // "Kiválaszt": lists the typed day and rebuilds its ranges; true when both succeeded.
    bool selectDay();
    // "Nyomtat": the range list, then the summary.
    void printDay();

protected:
    DeliveryPrintoutDialog(const DeliveryPrintoutKind& kind, QWidget* parent);
    void showEvent(QShowEvent* event) override;

private:
    void openSelection(const QDate& day);
    QStringList selectedEarTags();
    bool storeRanges(const std::vector<eartag::Range>& ranges);
    bool showRangeList(const QDate& day);
    bool showSummary(const QDate& day);
    void onDayLeft();

    const DeliveryPrintoutKind& m_kind;
    SharedWorkGuard m_sharedWork;
    bool m_shown = false;
    QLabel* m_dayLabel;
    QLineEdit* m_day;
    QPushButton* m_selectButton;
    QPushButton* m_printButton;
    QPushButton* m_cancelButton;
    DBGrid* m_deliveries;
    DBNavigator* m_navigator;
};

// "Beszállítás nyomtatás": the arrivals of a day, by sender and ear tag.
class IncomingDeliveryPrintoutDialog final : public DeliveryPrintoutDialog {
    Q_OBJECT
public:
    explicit IncomingDeliveryPrintoutDialog(QWidget* parent = nullptr);
};

// "Kiszállitás nyomtatás": the departures of a day, by ear tag.
class OutgoingDeliveryPrintoutDialog final : public DeliveryPrintoutDialog {
    Q_OBJECT
public:
    explicit OutgoingDeliveryPrintoutDialog(QWidget* parent = nullptr);
};
