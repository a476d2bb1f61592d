#pragma once

#include <QDialog>

class QLabel;
class QTimer;

// The loading splash: shown modally at start-up for its full time, until its timer closes it; it
// then releases itself.
class LoadingSplash : public QDialog {
    Q_OBJECT
public:
    explicit LoadingSplash(QWidget* parent = nullptr);

    // Shows the splash modally for its full time; false when the program was asked to end meanwhile
    // (its event loop was ended from outside before the timer closed it).
    static bool showFullTime();

    // Tests may shorten the splash; the program always shows it for 3000 ms.
    static void setIntervalForTests(int ms);
    static int interval();

protected:
    // Neither Escape nor the window's close button shortens the splash: only its timer closes it.
    void reject() override {}

private:
    void closeAndRelease();

    QTimer* m_timer;
    QLabel* m_productName;
};
