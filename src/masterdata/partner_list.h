#pragma once

#include <QDialog>
#include <QString>

class DBGrid;
class DBNavigator;
class DBText;
class QGroupBox;
class QLabel;
class QPushButton;
class QShowEvent;

// "Feladó-Vevö": the list of senders and buyers. Serves the main menu and, as a picker, the entry
// screens: whatever row of ZQ40 is current when it closes is the chosen partner.
class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
    ~TForm4() override;

    QLabel* Label6;
    DBGrid* DBGrid1;
    DBNavigator* DBNavigator1;
    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label7;
    DBText* DBText1;  // fnev
    DBText* DBText2;  // fcim
    DBText* DBText3;  // ftenykod
    DBText* DBText4;  // fsznev
    DBText* DBText5;  // fszcim
    DBText* DBText6;  // IDf
    DBText* DBText7;  // fkod
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    QPushButton* Button4;
    QPushButton* Button5;

    void FormCreate();
    void FormShow();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void DBGrid1TitleClick(int column);

    // Reloads after a sort, a delete or a save: one select line and an ORDER BY line.
    static const QString kSelectLine;
    static const QString kDefaultOrderLine;
    static void openList(const QString& orderByLine);
    // The list as the screen loads it when created and shown (three lines).
    static void openInitialList();
    // Positions ZQ40 on CurrentSenderCode.
    static void locateCurrent();
    // The reload after a write: default order, positioned on CurrentSenderCode, "Kód" heading on
    // the list screen when one is open.
    static void reloadAfterWrite();

protected:
    void showEvent(QShowEvent* event) override;
};

extern TForm4* Form4;
