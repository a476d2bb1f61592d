#pragma once

// Small helpers shared by the register tests.

#include "db/client.h"
#include "storage/session.h"
#include "screens.h"
#include "testdb.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

// Another connection holding an uncommitted change: a write to the same row through the program's
// nowait transaction then fails at once, as it would against another user.
class RowLock {
public:
    RowLock(TestDatabase& db, const QString& sql)
    {
        fb::ConnectParams p;
        p.database = db.file();
        p.password = QStringLiteral("medvehagy");
        m_att.attach(p);
        m_tra.start(m_att);
        fb::Statement st(m_att, m_tra, sql, false);
        st.execute();
    }
    ~RowLock() { m_tra.rollback(); }

private:
    fb::Attachment m_att;
    fb::Transaction m_tra;
};

inline void setField(QWidget* dialog, const char* name, const QString& text)
{
    child<QLineEdit>(dialog, name)->setText(text);
}

inline void press(QWidget* dialog, const char* name) { child<QPushButton>(dialog, name)->click(); }

// A screen shown the way runScreen shows it (showing it loads its list).
template <typename Screen>
struct ShownScreen {
    explicit ShownScreen(Session& session) : form(std::make_unique<Screen>(session, nullptr))
    {
        form->show();
        QApplication::processEvents();
    }
    Screen* operator->() const { return form.get(); }
    template <typename T = QWidget>
    T* find(const char* name) const
    {
        return child<T>(form.get(), name);
    }
    // The text of a label or a bound text.
    QString text(const char* name) const { return child<QLabel>(form.get(), name)->text(); }
    std::unique_ptr<Screen> form;
};
