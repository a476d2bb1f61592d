#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// "Jelszó": asks for the password that unlocks the raw tables. Every typed character shows as
// "*". The answer is read whichever button closed the dialog.
class PasswordDialog : public QDialog {
    Q_OBJECT
public:
    explicit PasswordDialog(QWidget* parent = nullptr);
    QString answer() const;

private:
    QLineEdit* m_password;
    QPushButton* m_okButton;
    QPushButton* m_cancelButton;
};
