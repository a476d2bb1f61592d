#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// "Szállító": new carrier or change of one, opened by the carrier list only. CarrierEditMode says
// which; for a change the list fills the fields from the current row of ZQ30 before showing it.
class TForm7 : public QDialog {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);
    ~TForm7() override;

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLineEdit* Edit1;  // IDS
    QLineEdit* Edit2;  // SKOD
    QLineEdit* Edit3;  // SRENDSZAM
    QLineEdit* Edit4;  // SNEV
    QLineEdit* Edit5;  // SCIM
    QLineEdit* Edit6;  // SJOVASZAM
    QPushButton* Button1;
    QPushButton* Button2;

    // Fills the fields from the current row of ZQ30 for a change; raises when the list is not open.
    void fillFromList();

    void Button1Click();
    void Button2Click();
};

extern TForm7* Form7;
