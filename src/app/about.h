#pragma once

#include <QDialog>

class QLabel;
class QTimer;

// The loading splash: shown modally at start-up until its timer closes it.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    QTimer* Timer1;
    QLabel* Version;
    QLabel* Label1;

    // Tests may shorten the splash; the program always shows it for 3000 ms.
    static void setIntervalForTests(int ms);
    static int interval();

private:
    void Timer1Timer();
};

extern TAboutBox* AboutBox;
