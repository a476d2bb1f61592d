#include "ui/longjob.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace input {

namespace {
int g_running = 0;
bool g_endRequested = false;
}  // namespace

bool LongJob::anyRunning() { return g_running > 0; }
void LongJob::requestEnd() { g_endRequested = true; }
bool LongJob::endRequested() { return g_endRequested; }

LongJob::LongJob(QWidget* window, QList<QWidget*> allowed) : m_window(window)
{
    ++g_running;
    for (QWidget* w : allowed)
        m_allowed.append(w);
    qApp->installEventFilter(this);
    m_sincePump.start();
}

LongJob::~LongJob()
{
    qApp->removeEventFilter(this);
    --g_running;
}

void LongJob::pump(bool force)
{
    if (!force && m_sincePump.elapsed() < 40)
        return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    m_sincePump.restart();
}

bool LongJob::allowed(QObject* receiver) const
{
    for (const QPointer<QWidget>& w : m_allowed) {
        if (!w)
            continue;
        for (QObject* o = receiver; o; o = o->parent())
            if (o == w)
                return true;
    }
    return false;
}

bool LongJob::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_window)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget)
        return false;
    // Only the guarded window's own widgets are held; a box opened during the job stays usable.
    if (widget != m_window && !m_window->isAncestorOf(widget))
        return false;
    switch (event->type()) {
    case QEvent::Close:
        if (widget == m_window) {
            event->ignore();
            return true;
        }
        return false;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return !allowed(watched);
    default:
        return false;
    }
}

}  // namespace input
