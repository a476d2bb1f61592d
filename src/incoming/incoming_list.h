#pragma once

#include <QDialog>

class DBGrid;
class DBNavigator;
class DBText;
class QGroupBox;
class QPushButton;
class QRadioButton;
namespace input {
class ReactivationRefresh;
}

// "Beszállítás": every arrival whose carrier and sender are registered, with the details of the
// current one; opens the entry screen for a new arrival or a change, and deletes arrivals.
class TForm8 : public QDialog {
    Q_OBJECT
public:
    explicit TForm8(QWidget* parent = nullptr);
    ~TForm8() override;

    // Reloads ZQ12 in the chosen order and ends on CurrentIncomingId, or on the last row.
    void rebuild();
    input::ReactivationRefresh* refresher() const { return m_refresh; }

    QGroupBox* GroupBox4;  // "A lista sorrendje:"
    QRadioButton* RadioButton1;  // date, ear tag
    QRadioButton* RadioButton2;  // entry order
    DBGrid* DBGrid1;
    DBNavigator* DBNavigator1;
    QGroupBox* GroupBox2;  // carrier
    QGroupBox* GroupBox1;  // sender
    QGroupBox* GroupBox3;  // ear tag
    QPushButton* Button2;  // "Új"
    QPushButton* Button3;  // "Módosít"
    QPushButton* Button4;  // "Töröl"
    QPushButton* Button5;  // "Mégsem"

    void FormShow();
    void RadioButton1Click();
    void RadioButton2Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    void openList(bool withBkod, bool byDate);

    input::ReactivationRefresh* m_refresh = nullptr;
};

extern TForm8* Form8;
