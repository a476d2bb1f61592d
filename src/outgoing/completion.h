#pragma once

#include <QDialog>

class DBGrid;
class DBNavigator;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Adatfeltöltés": gives every outgoing row that has neither a carrier nor a buyer code, in one
// update, the carrier and buyer picked here and the certificate and category typed here.
class TForm13 : public QDialog {
    Q_OBJECT
public:
    explicit TForm13(QWidget* parent = nullptr);
    ~TForm13() override;

    QLabel* Label2;
    QGroupBox* GroupBox1;  // carrier
    QGroupBox* GroupBox2;  // buyer / destination
    QPushButton* Button1;  // "Szállító"
    QPushButton* Button2;  // "Vevö"
    QLineEdit* Edit2;      // carrier code
    QLineEdit* Edit3;      // buyer code
    QLineEdit* Edit8;      // certificate out
    QLineEdit* Edit7;      // category
    DBGrid* DBGrid1;
    DBNavigator* DBNavigator1;
    QPushButton* Button5;  // "Adatfeltöltés"
    QPushButton* Button6;  // "Mégsem"

    void FormShow();
    void Button1Click();
    void Button2Click();
    void Button5Click();
    void Button6Click();
    void Edit7DblClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_shown = false;
};

extern TForm13* Form13;
