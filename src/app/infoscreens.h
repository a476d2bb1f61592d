#pragma once

#include <QDialog>

class QPushButton;
class QPlainTextEdit;

// "Névjegy": the maker's contact lines.
class TForm25 : public QDialog {
    Q_OBJECT
public:
    explicit TForm25(QWidget* parent = nullptr);
    QPlainTextEdit* Memo1;
    QPushButton* Button1;
    void Button1Click();
};

// "Távsegítség": starts the remote-support program.
class TForm26 : public QDialog {
    Q_OBJECT
public:
    explicit TForm26(QWidget* parent = nullptr);
    QPushButton* Button3;
    QPushButton* Button2;
    void Button3Click();
    void Button2Click();
};

// "Súgó": asks the help service for the help's contents.
class TForm27 : public QDialog {
    Q_OBJECT
public:
    explicit TForm27(QWidget* parent = nullptr);
    QPushButton* Button3;
    QPushButton* Button2;
    void Button3Click();
    void Button2Click();
};

extern TForm25* Form25;
extern TForm26* Form26;
extern TForm27* Form27;
