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

// "Szállító": the carrier list. Serves the main menu and, as a picker, the entry screens: whatever
// row of ZQ30 is current when it closes is the chosen carrier.
class TForm6 : public QDialog {
    Q_OBJECT
public:
    explicit TForm6(QWidget* parent = nullptr);
    ~TForm6() override;

    QLabel* Label2;
    DBGrid* DBGrid1;
    DBNavigator* DBNavigator1;
    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    DBText* DBText1;  // srendszam
    DBText* DBText2;  // snev
    DBText* DBText3;  // scim
    DBText* DBText4;  // sjovaszam
    DBText* DBText5;  // IDs
    DBText* DBText6;  // skod
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

    // The statement lines every reload of the carrier list uses; the ORDER BY line varies.
    static const QString kSelectLine;
    static const QString kDefaultOrderLine;
    // Closes ZQ30 and opens it again with the given order; the current row is then the first one.
    static void openList(const QString& orderByLine);
    // Positions ZQ30 on CurrentCarrierCode.
    static void locateCurrent();
    // The reload after a write: default order, positioned on CurrentCarrierCode, "Kód" heading on
    // the list screen when one is open.
    static void reloadAfterWrite();

protected:
    void showEvent(QShowEvent* event) override;
};

extern TForm6* Form6;
