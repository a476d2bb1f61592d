#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

namespace input {

// Guards a window while a long job runs inside one of its handlers (an import, an archiving run):
// the window cannot be closed and takes no keyboard or mouse input, except on the widgets allowed
// (a stop button), while pump() keeps it painted and lets those allowed widgets act. Windows
// opened during the job (a message box) are not affected. Everything is released on destruction.
class LongJob : public QObject {
public:
    explicit LongJob(QWidget* window, QList<QWidget*> allowed = {});
    ~LongJob() override;
    LongJob(const LongJob&) = delete;
    LongJob& operator=(const LongJob&) = delete;

    // Processes pending events; cheap when called often (it runs the event loop at most every
    // 40 ms unless forced), so a job may call it after every row.
    void pump(bool force = false);

    // Whether a job runs now (inside some handler, anywhere in the program).
    static bool anyRunning();
    // The program was asked to end from outside while a job ran: a job that can stop between its
    // steps (the legacy import) stops at the next one, as on its stop button, and the program
    // ends once the job has returned. It stays set for the rest of the run.
    static void requestEnd();
    static bool endRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool allowed(QObject* receiver) const;

    QPointer<QWidget> m_window;
    QList<QPointer<QWidget>> m_allowed;
    QElapsedTimer m_sincePump;
};

}  // namespace input
