#pragma once

#include "core/dataset.h"

#include <QDialog>

class DBGrid;
class DBNavigator;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QShowEvent;
class Session;

// "Adatfeltöltés": gives every departure that has neither a carrier nor a buyer code (marked for
// dispatch at arrival, or taken over from the ear-tag program), in one update, the carrier and
// buyer picked here and the certificate and category typed here.
class OutgoingCompletionDialog : public QDialog {
    Q_OBJECT
public:
    explicit OutgoingCompletionDialog(Session& session, QWidget* parent = nullptr);

    // "Szállító" / "Vevö": the register pickers; the picked code goes into its code field.
    void chooseCarrier();
    void chooseBuyer();
    // "Adatfeltöltés": checks carrier, buyer and certificate, then completes every such departure.
    void completeDepartures();
    // A double-click on the category field.
    void toggleCategory();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The departures still to complete, listed once when the screen first appears.
    void listIncompleteDepartures();

    Session& m_session;
    // The departures without carrier and buyer codes, as they were when the screen appeared.
    Dataset m_rows;
    DataSource m_rowsSource;
    bool m_shown = false;
    QLabel* m_heading;
    QGroupBox* m_carrierPanel;
    QGroupBox* m_buyerPanel;
    QPushButton* m_chooseCarrierButton;
    QPushButton* m_chooseBuyerButton;
    QLineEdit* m_carrierCode;
    QLineEdit* m_buyerCode;
    QLineEdit* m_certificateOut;
    QLineEdit* m_category;
    DBGrid* m_list;
    DBNavigator* m_navigator;
    QPushButton* m_completeButton;
    QPushButton* m_cancelButton;
};
