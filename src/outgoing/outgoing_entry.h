#pragma once

#include "core/dataset.h"
#include "core/entrymode.h"

#include <QDialog>

class DBGrid;
class DBNavigator;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Session;
struct ListedDeparture;

// "Fülszám bevitel (kiszállitás)": records departing animals, one KISZALL row per "OK" (new
// mode), or changes the departure the outgoing list stands on (change mode). Only an ear tag that
// has arrived and not left yet can be dispatched.
class OutgoingEntryDialog : public QDialog {
    Q_OBJECT
public:
    OutgoingEntryDialog(Session& session, EntryMode mode, QWidget* parent = nullptr);

    EntryMode mode() const { return m_mode; }

    // Change mode: fills the screen from the departure the outgoing list stands on, which the list
    // hands over. False when that failed: the message was shown and the screen must not be shown.
    bool loadForChange(const ListedDeparture& departure);

    // "Szállító" / "Vevö": the register pickers; the picked code goes into its code field.
    void chooseCarrier();
    void chooseBuyer();
    // "OK": checks the fields in order, that the ear tag has arrived and not left, then saves the
    // departure and shows the list again.
    void saveDeparture();
    // "Új": ready for the next animal, the ear tag one higher when "fülszám növelése" is ticked.
    void prepareNextEarTag();
    // Leaving the ear-tag field: an ear tag that never arrived is refused (false: the user stays
    // in the field), an arrived one brings its arrival's health certificate.
    bool checkEarTagArrived();
    // A double-click on the ear-tag field: the pick list of the animals on site, starting at
    // what was typed; the picked ear tag goes into the field.
    void pickEarTag();
    // A double-click on the category field.
    void toggleCategory();

private:
    bool alreadyDispatched(const QString& earTag);
    bool validate();
    void save();
    void rebuildList();

    Session& m_session;
    EntryMode m_mode;
    // Every departure in entry order, shown under the fields.
    Dataset m_rows;
    DataSource m_rowsSource;

    QGroupBox* m_carrierPanel;
    QGroupBox* m_buyerPanel;
    QPushButton* m_chooseCarrierButton;
    QPushButton* m_chooseBuyerButton;
    QLineEdit* m_departureId;  // IDK of the departure being changed
    QLineEdit* m_carrierCode;
    QLineEdit* m_buyerCode;
    QLineEdit* m_earTag;
    QLineEdit* m_dispatchDate;
    QLineEdit* m_certificateIn;
    QLineEdit* m_category;
    QLineEdit* m_certificateOut;
    QLabel* m_pickListHint;
    QPushButton* m_newButton;
    QPushButton* m_okButton;
    QPushButton* m_cancelButton;
    QCheckBox* m_incrementEarTag;
    DBGrid* m_list;
    DBNavigator* m_navigator;
};
