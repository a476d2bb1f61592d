#pragma once

#include <QObject>

class QSocketNotifier;

// The requests to end the program that come from outside it: SIGTERM (a shutdown), SIGHUP (the
// session ending, a logout) and SIGINT (Ctrl+C in a terminal). They are never delivered to a
// thread: holdBack() blocks them in the process before any thread exists, and ExitSignals reads
// them in the event loop, as received(), so the program ends as it does on "Kilépés" (pending work
// committed, the connection closed). Delivered to a thread, they would reach the database
// engine's handlers, which only shut its connections down and leave the program running on a dead
// connection, or interrupt the engine's own threads in the middle of their work.
class ExitSignals : public QObject {
    Q_OBJECT
public:
    // Call first thing in main, before any thread is started: threads inherit the blocked set.
    static void holdBack();

    // Reads the signals held back; any that came before (during start-up) is received at once.
    explicit ExitSignals(QObject* parent = nullptr);
    ~ExitSignals() override;

signals:
    void received(int signalNumber);

private:
    void readSignal();
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};
