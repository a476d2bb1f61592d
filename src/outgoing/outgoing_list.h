#pragma once

#include "core/dataset.h"
#include "storage/departures.h"

#include <QDialog>

class DBGrid;
class DBNavigator;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class Session;
namespace input {
class ReactivationRefresh;
}

// "Kiszállítás": the dispatched animals whose carrier and buyer exist, with the details of the
// current one; opens the outgoing entry screen for new departures or a change, and deletes
// departures.
class OutgoingListDialog : public QDialog {
    Q_OBJECT
public:
    explicit OutgoingListDialog(Session& session, QWidget* parent = nullptr);

    // Reloads the list in the chosen order and re-positions it on the remembered departure, else
    // the last row.
    void rebuildList();
    input::ReactivationRefresh* refresher() const { return m_refresh; }
    // The departure the list stands on: what it hands the entry screen for a change.
    ListedDeparture currentDeparture() const;

    // The order box: date and ear tag, or entry order.
    void reorder();
    // "Új": the entry screen in new mode; the list rebuilds itself when it closes.
    void enterNewDepartures();
    // "Módosít": the entry screen on the current departure, which the list hands over.
    void changeCurrentDeparture();
    // "Töröl": every departure with the current ear tag, left pending in the shared transaction.
    void deleteCurrentEarTag();

private:
    void openList(bool byDateAndEarTag);

    Session& m_session;
    // The departures whose carrier and buyer exist, with their carrier and buyer: the grid and the
    // three panels show it.
    Dataset m_rows;
    DataSource m_rowsSource;
    input::ReactivationRefresh* m_refresh = nullptr;
    QLabel* m_orderLabel;
    QCheckBox* m_byDateAndEarTag;
    DBGrid* m_list;
    DBNavigator* m_navigator;
    QGroupBox* m_buyerPanel;
    QGroupBox* m_carrierPanel;
    QGroupBox* m_earTagPanel;
    QPushButton* m_newButton;
    QPushButton* m_changeButton;
    QPushButton* m_deleteButton;
    QPushButton* m_cancelButton;
};
