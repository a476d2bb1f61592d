#pragma once

#include <QDialog>

class DBGrid;
class DBNavigator;
class QLabel;
class QLineEdit;
class QPushButton;

// "Fülszámlista": the ear tags dispatched on one day, four numbered to a line, under a heading of
// the dispatch day, the place of dispatch and the sender as typed. Only reads.
class EarTagListPrintoutDialog : public QDialog {
    Q_OBJECT
public:
    explicit EarTagListPrintoutDialog(QWidget* parent = nullptr);

    // "Kiválaszt": the typed day's departures in ear-tag order; true when they are listed.
    bool selectDay();
    // "Nyomtat": the listed departures; before any "Kiválaszt" here, the typed day's.
    void printList();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_shown = false;
    bool m_selected = false;  // a "Kiválaszt" of this screen filled the list
    QLabel* m_dayLabel;
    QLineEdit* m_day;
    QLabel* m_placeLabel;
    QLineEdit* m_place;
    QLabel* m_senderLabel;
    QLineEdit* m_sender;
    QPushButton* m_selectButton;
    QPushButton* m_printButton;
    QPushButton* m_cancelButton;
    DBGrid* m_departures;
    DBNavigator* m_navigator;
};
