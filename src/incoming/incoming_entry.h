#pragma once

#include <QDialog>

class DBGrid;
class DBNavigator;
class DBText;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

// "Fülszám bevitel (beszállítás)": enters arriving animals one BESZALL row per OK, or changes the
// row the incoming list has selected. IncomingEntryMode decides which ("Új fülszám" = new).
class TForm9 : public QDialog {
    Q_OBJECT
public:
    explicit TForm9(QWidget* parent = nullptr);
    ~TForm9() override;

    // Change mode: fills the screen from the current row of ZQ12 before it is shown. False (after
    // the message) when it could not; the caller must not show the screen then.
    bool LoadForChange();

    bool newMode() const { return m_newMode; }

    QGroupBox* GroupBox1;  // carrier of ZQ30
    QGroupBox* GroupBox2;  // sender of ZQ40
    DBText *DBText1, *DBText2, *DBText3, *DBText4, *DBText5, *DBText6;
    DBText *DBText7, *DBText8, *DBText9, *DBText10, *DBText11, *DBText12, *DBText13;
    QPushButton* Button1;  // "Szállító"
    QPushButton* Button2;  // "Feladó"
    QLineEdit* Edit1;      // IDb
    QLineEdit* Edit2;      // carrier code
    QLineEdit* Edit3;      // sender code
    QLineEdit* Edit4;      // ear tag
    QLineEdit* Edit5;      // arrival date
    QLineEdit* Edit6;      // purchase date
    QLineEdit* Edit7;      // utilisation category
    QLineEdit* Edit8;      // health certificate
    QPushButton* Button3;  // "Új"
    QPushButton* Button5;  // "OK"
    QPushButton* Button6;  // "Mégsem"
    QCheckBox* CheckBox1;  // "fülszám növelése"
    QCheckBox* CheckBox2;  // "Kiszállitáshoz beirva"
    DBGrid* DBGrid1;
    DBNavigator* DBNavigator1;

    void FormShow();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button5Click();
    void Button6Click();
    void Edit5Exit();
    void Edit7DblClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    // The screen's own list on ZQ11; withBkod after a save, as the grid's "Kód" column then shows.
    void openList(bool withBkod);
    void reopenCarriers();
    void reopenSenders();
    // Validation steps in order; false after the first failing one has spoken.
    bool validate();
    // Duplicate ear tag in BESZALL; false after the refusal has spoken.
    bool duplicateCheck();

    bool m_newMode = true;
    bool m_shown = false;
};

extern TForm9* Form9;
