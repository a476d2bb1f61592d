#pragma once

#include <QDialog>

class DBGrid;
class DBNavigator;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
namespace input {
class ReactivationRefresh;
}

// "Kiszállítás": the dispatched animals whose carrier and buyer exist, with the details of the
// current one; opens the outgoing entry screen and deletes dispatches.
class TForm10 : public QDialog {
    Q_OBJECT
public:
    explicit TForm10(QWidget* parent = nullptr);
    ~TForm10() override;

    QLabel* Label18;
    QCheckBox* CheckBox1;
    DBGrid* DBGrid1;
    DBNavigator* DBNavigator1;
    QGroupBox* GroupBox1;  // buyer / destination
    QGroupBox* GroupBox2;  // carrier
    QGroupBox* GroupBox3;  // ear tag
    QPushButton* Button2;
    QPushButton* Button3;
    QPushButton* Button4;
    QPushButton* Button5;

    // Reloads the list in the chosen order and re-positions it on CurrentOutgoingId, else the
    // last row.
    void rebuildList();
    input::ReactivationRefresh* refresher() const { return m_refresh; }

    void CheckBox1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();

private:
    void openList(bool byDateAndEarTag);
    input::ReactivationRefresh* m_refresh = nullptr;
};

extern TForm10* Form10;
