#pragma once

#include <QDialog>

class DBGrid;
class DBNavigator;
class QLabel;
class QPushButton;

// "Fülszám lista": the arrived ear tags that have not left, in text order, positioned on the first
// that begins with PartialEarTag. "Kiválaszt" writes the chosen one into the ear-tag field of the
// outgoing entry screen.
class TForm12 : public QDialog {
    Q_OBJECT
public:
    explicit TForm12(QWidget* parent = nullptr);
    ~TForm12() override;

    QLabel* Label1;
    DBGrid* DBGrid1;
    DBNavigator* DBNavigator1;
    QPushButton* Button1;  // "Kiválaszt"
    QPushButton* Button3;  // "Mégsem"

    void Button1Click();
    void Button3Click();
};

extern TForm12* Form12;
