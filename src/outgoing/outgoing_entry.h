#pragma once

#include <QDialog>

class DBGrid;
class DBNavigator;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Fülszám bevitel (kiszállitás)": records a departing animal. Only an arrived ear tag that has not
// left yet can be dispatched. Opened in new mode or, after LoadForChange, in change mode
// (OutgoingEntryMode decides when the screen is created).
class TForm11 : public QDialog {
    Q_OBJECT
public:
    explicit TForm11(QWidget* parent = nullptr);
    ~TForm11() override;

    // Fills the screen from the current row of ZQ22 for a change. False when that failed: the
    // message was shown and the screen must not be shown.
    bool LoadForChange();

    QGroupBox* GroupBox1;  // carrier
    QGroupBox* GroupBox2;  // buyer / destination
    QPushButton* Button1;  // "Szállító"
    QPushButton* Button2;  // "Vevö"
    QLineEdit* Edit1;      // IDk
    QLineEdit* Edit2;      // carrier code
    QLineEdit* Edit3;      // buyer code
    QLineEdit* Edit4;      // ear tag
    QLineEdit* Edit5;      // dispatch date
    QLineEdit* Edit6;      // certificate in
    QLineEdit* Edit7;      // category
    QLineEdit* Edit8;      // certificate out
    QLabel* Label2;
    QPushButton* Button3;  // "Új"
    QPushButton* Button5;  // "OK"
    QPushButton* Button6;  // "Mégsem"
    QCheckBox* CheckBox1;
    DBGrid* DBGrid1;
    DBNavigator* DBNavigator1;

    bool changeMode() const { return m_changeMode; }

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button5Click();
    void Button6Click();
    void Edit4Exit();
    void Edit4DblClick();
    void Edit7DblClick();

private:
    // Count of arrivals with the ear tag (ZQ13); 0 when none.
    qint64 arrivalCount(const QString& earTag);
    bool alreadyDispatched(const QString& earTag);
    void save();
    void rebuildList();
    void fail(const QString& message, QWidget* focus);

    bool m_changeMode = false;
};

extern TForm11* Form11;
