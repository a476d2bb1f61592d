#pragma once

#include "core/dataset.h"

#include <QDialog>

struct ListedArrival;
class Session;
class DBGrid;
class DBNavigator;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QShowEvent;
namespace input {
class ReactivationRefresh;
}

// "Beszállítás": every arrival whose carrier and sender are registered, with the details of the
// current one; opens the incoming entry screen for new arrivals or a change, and deletes arrivals.
class IncomingListDialog : public QDialog {
    Q_OBJECT
public:
    explicit IncomingListDialog(Session& session, QWidget* parent = nullptr);

    // Reloads the list in the chosen order and ends on the remembered arrival, or on the last row.
    void rebuild();
    input::ReactivationRefresh* refresher() const { return m_refresh; }

    // The rows of the list, as its grid shows them.
    Dataset& listRows() { return m_rows; }
    // What "Módosít" hands to the entry screen: the arrival of the current row. Only while the list
    // is open and has rows.
    ListedArrival currentArrival() const;

    // "Új": the entry screen in new mode; the list rebuilds itself when it closes.
    void enterNewArrivals();
    // "Módosít": the entry screen on the current arrival, then the rebuild.
    void changeCurrentArrival();
    // "Töröl": every arrival with the current ear tag, unless the animal has left.
    void deleteCurrentEarTag();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    void openList(bool withCode, bool byDate);

    Session& m_session;
    // Every arrival whose carrier and sender are registered, joined with both; the grid's rows and
    // the panels' current row.
    Dataset m_rows;
    DataSource m_rowsSource;

    input::ReactivationRefresh* m_refresh = nullptr;
    QGroupBox* m_orderBox;
    QRadioButton* m_byDateAndEarTag;
    QRadioButton* m_inEntryOrder;
    DBGrid* m_list;
    DBNavigator* m_navigator;
    QGroupBox* m_carrierPanel;
    QGroupBox* m_senderPanel;
    QGroupBox* m_earTagPanel;
    QPushButton* m_newButton;
    QPushButton* m_changeButton;
    QPushButton* m_deleteButton;
    QPushButton* m_cancelButton;
};
