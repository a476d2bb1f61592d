#include "ui/input.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWindow>

#include <algorithm>

#include "ui/platform.h"

namespace input {

namespace {

class CharFilter : public QObject {
public:
    CharFilter(QObject* parent, QString allowed) : QObject(parent), m_allowed(std::move(allowed)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* ke = static_cast<QKeyEvent*>(event);
        const int key = ke->key();
        if (key == Qt::Key_Backspace || key == Qt::Key_Return || key == Qt::Key_Enter)
            return false;
        const QString text = ke->text();
        if (text.isEmpty())
            return false;  // cursor keys and the like
        // Keys that type nothing carry control characters as text (Tab, Delete, Escape, and
        // shortcuts such as Ctrl+V): they keep moving the focus, deleting, closing, pasting, and
        // pasted text is not filtered. A printable character is filtered whatever the modifiers,
        // so AltGr combinations cannot type one either.
        if (std::none_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); }))
            return false;
        for (const QChar c : text)
            if (!m_allowed.contains(c))
                return true;
        return false;
    }

private:
    QString m_allowed;
};

class EnterSwallower : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        return key == Qt::Key_Return || key == Qt::Key_Enter;
    }
};

class EnterAsTabFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* ke = static_cast<QKeyEvent*>(event);
        if (ke->key() != Qt::Key_Return && ke->key() != Qt::Key_Enter)
            return false;
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w)
            return false;
        const bool back = ke->modifiers() == Qt::ShiftModifier;
        QPointer<QWidget> target(w);
        bool focusPlacedByButton = false;
        if (auto* b = qobject_cast<QPushButton*>(w); b && b->isEnabled()) {
            b->click();
            // A button that put the focus somewhere itself (a validation pointing at the empty
            // field) keeps it there; moving on would skip the very field it named.
            QWidget* f = QApplication::focusWidget();
            focusPlacedByButton = target && f && f != target && f->window() == target->window();
        }
        // The focus move is posted, as the program always did, so a pressed button acts first.
        if (!focusPlacedByButton) {
            QTimer::singleShot(0, this, [target, back] {
                QWidget* f = QApplication::focusWidget();
                if (!f || !target || f->window() != target->window())
                    return;
                QKeyEvent tab(QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab,
                              back ? Qt::ShiftModifier : Qt::NoModifier);
                QApplication::sendEvent(f, &tab);
            });
        }
        return true;  // the field itself does nothing with Enter
    }
};

// A field left whose exit handler has not run yet. It runs posted, or at once when input reaches
// the window before that (a click, a key): nothing the user does next acts before the field has
// been dealt with. A check that refuses the field drops the input that would have acted.
class ExitWatcher : public QObject {
public:
    ExitWatcher(QLineEdit* edit, std::function<bool()> check) : QObject(edit), m_edit(edit), m_check(std::move(check))
    {
    }
    QLineEdit* edit() const { return m_edit; }
    bool due() const { return m_due; }
    // Runs the handler if it is due; false when it refused the field.
    bool runIfDue();
    void drop() { m_due = false; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_edit;
    std::function<bool()> m_check;
    bool m_due = false;
};

// The exit handlers due, for the input that reaches their window before they ran.
class DueExits : public QObject {
public:
    static DueExits& instance()
    {
        static DueExits* d = new DueExits(qApp);
        return *d;
    }
    void add(ExitWatcher* watcher)
    {
        m_due.removeAll(watcher);
        m_due.append(watcher);
        install();
    }
    void forget(ExitWatcher* watcher)
    {
        m_due.removeAll(watcher);
        tidy();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress:
            break;
        default:
            return false;
        }
        if (!watched->isWidgetType())
            return false;
        auto* target = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::KeyPress && m_swallowKey != 0) {
            // The rest of a key whose shortcut check found the field refused.
            const bool same = static_cast<QKeyEvent*>(event)->key() == m_swallowKey;
            m_swallowKey = 0;
            tidy();
            if (same)
                return true;
        }
        bool refused = false;
        const auto due = m_due;
        for (const QPointer<ExitWatcher>& w : due) {
            if (!w || !w->due() || w->edit()->window() != target->window())
                continue;
            if (target->property("leavesForm").toBool()) {
                w->drop();  // heading for "Mégsem": the user must always be able to leave
                continue;
            }
            if (!w->runIfDue()) {
                refused = true;
                break;
            }
        }
        tidy();
        if (!refused)
            return false;
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();  // no shortcut acts either
            m_swallowKey = static_cast<QKeyEvent*>(event)->key();
            install();
        }
        return true;
    }

private:
    using QObject::QObject;
    void install()
    {
        if (!m_installed) {
            qApp->installEventFilter(this);
            m_installed = true;
        }
    }
    // Watches input only while something is due.
    void tidy()
    {
        m_due.removeIf([](const QPointer<ExitWatcher>& w) { return !w || !w->due(); });
        if (m_due.isEmpty() && m_swallowKey == 0 && m_installed) {
            qApp->removeEventFilter(this);
            m_installed = false;
        }
    }
    QList<QPointer<ExitWatcher>> m_due;
    bool m_installed = false;
    int m_swallowKey = 0;
};

bool ExitWatcher::runIfDue()
{
    if (!m_due)
        return true;
    m_due = false;
    DueExits::instance().forget(this);
    if (!m_edit->window()->isVisible())
        return true;  // the window went away meanwhile: closing is not leaving
    return m_check();
}

bool ExitWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::FocusOut)
        return false;
    auto* fe = static_cast<QFocusEvent*>(event);
    // A dialog or box opening over the window, or the window going away, is not leaving.
    if (fe->reason() == Qt::ActiveWindowFocusReason || fe->reason() == Qt::PopupFocusReason)
        return false;
    QWidget* next = QApplication::focusWidget();
    if (!next || next->window() != m_edit->window() || next->property("leavesForm").toBool())
        return false;  // heading for "Mégsem": the user must always be able to leave
    m_due = true;
    DueExits::instance().add(this);
    QTimer::singleShot(0, this, [this] { runIfDue(); });
    return false;
}

class DoubleClickFilter : public QObject {
public:
    DoubleClickFilter(QObject* parent, std::function<void()> handler) : QObject(parent), m_handler(std::move(handler))
    {
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick)
            m_handler();
        return false;
    }

private:
    std::function<void()> m_handler;
};

}  // namespace

void onDoubleClick(QWidget* widget, std::function<void()> handler)
{
    widget->installEventFilter(new DoubleClickFilter(widget, std::move(handler)));
}

void markLeavesForm(QWidget* button) { button->setProperty("leavesForm", true); }

void digitsOnly(QLineEdit* edit) { edit->installEventFilter(new CharFilter(edit, QStringLiteral("0123456789"))); }

void dateCharacters(QLineEdit* edit)
{
    edit->installEventFilter(new CharFilter(edit, QStringLiteral("0123456789.")));
}

void ignoreEnter(QLineEdit* edit) { edit->installEventFilter(new EnterSwallower(edit)); }

void enterAsTab(QWidget* form)
{
    auto* f = new EnterAsTabFilter(form);
    form->installEventFilter(f);
    for (QWidget* child : form->findChildren<QWidget*>())
        child->installEventFilter(f);
}

void onExit(QLineEdit* edit, std::function<void()> handler)
{
    onExitCheck(edit, [handler = std::move(handler)] {
        handler();
        return true;
    });
}

void onExitCheck(QLineEdit* edit, std::function<bool()> check)
{
    edit->installEventFilter(new ExitWatcher(edit, std::move(check)));
}

// ---------------------------------------------------------------- ReactivationRefresh

ReactivationRefresh::ReactivationRefresh(QWidget* window, std::function<void()> refresh)
    : QObject(window), m_window(window), m_refresh(std::move(refresh))
{
    window->installEventFilter(this);
}

bool ReactivationRefresh::eventFilter(QObject* watched, QEvent* event)
{
    // WindowUnblocked comes from Qt itself when a modal dialog or box over the window closes, so
    // the rebuild does not depend on a window manager re-activating the window.
    if (watched == m_window && event->type() == QEvent::WindowDeactivate)
        m_wasDeactivated = true;
    // Activation counts only as a return to the window, not as part of its first showing.
    const bool reactivated = event->type() == QEvent::WindowActivate && m_wasDeactivated;
    if (watched == m_window && (reactivated || event->type() == QEvent::Show ||
                                event->type() == QEvent::WindowUnblocked)) {
        m_wasDeactivated = false;
        // Uncovering reaches the native window, not the widget: watch it too once it exists.
        if (QWindow* w = m_window->windowHandle(); w && !m_watchingNative) {
            w->installEventFilter(this);
            m_watchingNative = true;
        }
        schedule();
    } else if (watched != m_window && event->type() == QEvent::Expose) {
        // Only a window that was hidden and comes back counts; its first exposure is the showing.
        if (auto* w = qobject_cast<QWindow*>(watched)) {
            const bool exposed = w->isExposed();
            if (exposed && !m_exposedNow && m_exposedBefore)
                schedule();
            m_exposedBefore = m_exposedBefore || exposed;
            m_exposedNow = exposed;
        }
    }
    return false;
}

void ReactivationRefresh::schedule()
{
    // A box shown by the refresh itself re-activates the window when it closes: that must not
    // start another refresh, or a failing refresh would loop.
    if (m_running || m_pending)
        return;
    m_pending = true;
    QTimer::singleShot(0, this, [this] {
        // A refresh run meanwhile (a screen's own, after the dialog or box that scheduled this one
        // closed) has already shown the window as it is now.
        if (!m_pending)
            return;
        m_pending = false;
        trigger();
    });
}

void ReactivationRefresh::trigger()
{
    if (m_running)
        return;
    m_running = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_running};
    try {
        m_refresh();
    } catch (const std::exception& e) {
        platform::showError(m_window, e);
    }
    // Activation events queued while the refresh ran belong to it, not to a new occasion.
    QApplication::sendPostedEvents(m_window);
    m_pending = false;
}

}  // namespace input
