#pragma once

#include "core/entrymode.h"

#include <QDialog>

class QGridLayout;
class QLineEdit;
class QPushButton;
class Session;

// What the carrier and partner edit dialogs share: opened by their register list only, in new
// mode with empty fields or in change mode filled from the list's current row; fields one under
// the other, "OK" and "Mégsem" below them. "OK" saves and closes the dialog accepted, and the list
// then reloads on the remembered code; a dialog closed otherwise wrote nothing.
class RegisterEditDialog : public QDialog {
    Q_OBJECT
public:
    EntryMode mode() const { return m_mode; }

    // Fills the fields from the current row of the register's list for a change; raises when the
    // list is not open or its row cannot be read.
    virtual void fillFromList() = 0;
    // "OK": checks the required fields in order, writes the row and closes; a transaction that
    // cannot be started keeps the dialog open with its input.
    virtual void save() = 0;

protected:
    RegisterEditDialog(Session& session, EntryMode mode, EntrySubject subject, const QString& objectName,
                       QWidget* parent);
    Session& session() const { return m_session; }
    // A field on the next row, with its caption as buddy label.
    QLineEdit* addField(const QString& objectName, const QString& caption);
    // A field that only shows the row's identifier or code.
    QLineEdit* addShownField(const QString& objectName, const QString& caption);
    QPushButton* okButton() const { return m_okButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }

private:
    Session& m_session;
    EntryMode m_mode;
    QGridLayout* m_fields;
    QPushButton* m_okButton;
    QPushButton* m_cancelButton;
};
