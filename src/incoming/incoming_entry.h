#pragma once

#include "core/dataset.h"
#include "core/entrymode.h"

#include <QDialog>

struct ListedArrival;
class Session;
class DBGrid;
class DBNavigator;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QShowEvent;

// "Fülszám bevitel (beszállítás)": enters arriving animals, one BESZALL row per "OK" and "Új"
// for the next animal of the same delivery (new mode), or changes the arrival the incoming list
// stands on (change mode).
class IncomingEntryDialog : public QDialog {
    Q_OBJECT
public:
    IncomingEntryDialog(Session& session, EntryMode mode, QWidget* parent = nullptr);

    EntryMode mode() const { return m_mode; }

    // Change mode: fills the screen, before it is shown, from the arrival the incoming list stands
    // on. The list hands that row over as a value (IncomingListDialog::currentArrival()), so this
    // screen reads nothing of the list's rows; its showing checks the departures of the ear tag
    // handed over. False (after the message) when it could not; the caller must not show the
    // screen then.
    bool loadForChange(const ListedArrival& arrival);

    // The rows of the screen's list of every arrival, as its grid shows them.
    Dataset& listRows() { return m_rows; }

    // "Szállító" / "Feladó": the register pickers; the picked code goes into its code field.
    void chooseCarrier();
    void chooseSender();
    // "OK": checks the fields in order and that the ear tag is not taken, saves the arrival (in new
    // mode also as a departure when "Kiszállitáshoz beirva" is ticked) and shows the list again.
    void saveArrival();
    // "Új": ready for the next animal, the ear tag one higher when "fülszám növelése" is ticked.
    void prepareNextEarTag();
    // Leaving the arrival date: the purchase date becomes the same.
    void copyArrivalDateToPurchaseDate();
    // A double-click on the category field.
    void toggleCategory();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    // Focus on the arrival date; a change offers neither "Új" nor the increment, and keeps the
    // ear tag of an animal that has already left.
    void prepareForEntry();
    // The screen's own list; withCode after a save, as the grid's "Kód" column then shows.
    void openList(bool withCode);
    void reopenRegisters();
    // The checks of "OK" in order; false after the first failing one has spoken.
    bool validate();
    // No other arrival has the ear tag; false after the refusal has spoken.
    bool earTagIsFree();
    enum class WriteResult {
        Written,
        Failed,       // said with the screen's numbered message and rolled back
        TextRefused,  // a character the database cannot hold: said, nothing written
    };
    // The insert (new) or update (change) of the arrival, committed.
    WriteResult writeArrival();
    // The list after a save, standing on its last row or on the arrival opened for change.
    void showListAgain();
    // The departure written with a new arrival; false after Hiba093 has spoken.
    bool insertDeparture();

    Session& m_session;
    EntryMode m_mode;
    bool m_shown = false;
    // Change mode: the ear tag of the arrival as the incoming list handed it over.
    QString m_listedEarTag;

    // Every arrival in entry order, the grid's rows.
    Dataset m_rows;
    DataSource m_rowsSource;

    QGroupBox* m_carrierPanel;
    QGroupBox* m_senderPanel;
    QPushButton* m_chooseCarrierButton;
    QPushButton* m_chooseSenderButton;
    QLineEdit* m_arrivalId;  // IDB of the arrival being changed
    QLineEdit* m_carrierCode;
    QLineEdit* m_senderCode;
    QLineEdit* m_earTag;
    QLineEdit* m_arrivalDate;
    QLineEdit* m_purchaseDate;
    QLineEdit* m_category;
    QLineEdit* m_certificate;
    QPushButton* m_newButton;
    QPushButton* m_okButton;
    QPushButton* m_cancelButton;
    QCheckBox* m_incrementEarTag;
    QCheckBox* m_alsoDeparting;
    DBGrid* m_list;
    DBNavigator* m_navigator;
};
