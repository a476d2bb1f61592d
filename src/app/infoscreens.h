#pragma once

#include <QDialog>

class QPushButton;
class QPlainTextEdit;

// The information screens of the "Segédlet" menu.

// "Névjegy": the maker's contact lines.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);

private:
    QPlainTextEdit* m_contact;
    QPushButton* m_closeButton;
};

// "Távsegítség": starts the remote-support program.
class RemoteSupportDialog : public QDialog {
    Q_OBJECT
public:
    explicit RemoteSupportDialog(QWidget* parent = nullptr);
    // "Program indítása": starts the program each time it is pressed; a missing program passes
    // without a word.
    void startRemoteSupport();

private:
    QPushButton* m_startButton;
    QPushButton* m_cancelButton;
};

// "Súgó": asks the help service for the help's contents.
class HelpDialog : public QDialog {
    Q_OBJECT
public:
    explicit HelpDialog(QWidget* parent = nullptr);
    // "Segítség": one request for the contents of the application's help (the help window); the
    // screen stays open behind it.
    void requestHelp();

private:
    QPushButton* m_helpButton;
    QPushButton* m_cancelButton;
};
