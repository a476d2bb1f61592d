#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Feladó-Vevö": new partner or change of one, opened by the partner list only. SenderEditMode
// says which; for a change the list fills the fields from the current row of ZQ40 before showing it.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);
    ~TForm5() override;

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLineEdit* Edit1;  // IDF
    QLineEdit* Edit2;  // FKOD
    QLineEdit* Edit3;  // FNEV
    QLineEdit* Edit5;  // FCIM
    QLineEdit* Edit4;  // FTENYKOD
    QLineEdit* Edit6;  // FSZNEV
    QLineEdit* Edit7;  // FSZCIM
    QPushButton* Button1;
    QPushButton* Button2;
    QCheckBox* CheckBox1;

    // Fills the fields from the current row of ZQ40 for a change; raises when the list is not open.
    void fillFromList();

    void Button1Click();
    void Button2Click();
    void Edit3Exit();
    void Edit5Exit();
};

extern TForm5* Form5;
