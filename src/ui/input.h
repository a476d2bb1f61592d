#pragma once

#include <QObject>

#include <functional>

class QLineEdit;
class QWidget;

namespace input {

// Only the allowed characters reach the field: a typed key that is none is discarded, and of
// pasted, dropped or composed text only the allowed characters are kept. Backspace, the cursor
// keys, Tab and shortcuts act as usual; Enter is left to Enter-as-Tab.
void digitsOnly(QLineEdit* edit);     // 0-9
void dateCharacters(QLineEdit* edit); // 0-9 and "."
// Enter and Return do nothing in the field: it neither moves on nor presses a button. Call it after
// enterAsTab, so it sees the keys first.
void ignoreEnter(QLineEdit* edit);

// Enter moves the focus to the next control, Shift+Enter to the previous one; a focused push
// button is pressed first. Installs on every child the form has when called.
void enterAsTab(QWidget* form);

// "Leaving a field": calls handler when the focus moves to another control of the same window.
// A dialog or message box opening over the window, or the window closing, is not leaving. The
// handler runs before any later input reaches the window (the click that moved the focus onto a
// button, a key typed into the next field), so nothing the user does next acts before it.
void onExit(QLineEdit* edit, std::function<void()> handler);
// As onExit, for a field the user may not get past while it holds a wrong value: check says
// whether the value may stand. When it refuses (it has told the user and put the focus back into
// the field), the click or key that left the field is dropped: the button it was aimed at does
// not act, and the message is the only one shown.
void onExitCheck(QLineEdit* edit, std::function<bool()> check);

// Calls refresh when the window is shown, re-exposed or re-activated (a modal child or message box
// over it closed), once per occasion, never from inside a paint and never while a refresh runs.
class ReactivationRefresh : public QObject {
public:
    ReactivationRefresh(QWidget* window, std::function<void()> refresh);
    // Runs the refresh now (used by tests and by screens that want it at once); a refresh
    // scheduled for an occasion before it is not run again.
    void trigger();
    bool running() const { return m_running; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void schedule();
    QWidget* m_window;
    std::function<void()> m_refresh;
    bool m_running = false;
    bool m_pending = false;
    bool m_watchingNative = false;
    bool m_exposedBefore = false;
    bool m_exposedNow = false;
    bool m_wasDeactivated = false;
};

}  // namespace input

namespace input {
// Marks a button (typically "Mégsem") as leaving the form: moving the focus onto it runs no
// field's exit check.
void markLeavesForm(QWidget* button);
}  // namespace input

namespace input {
// Calls handler on a double-click inside widget; the widget sees the double-click as well.
void onDoubleClick(QWidget* widget, std::function<void()> handler);
}  // namespace input
