#pragma once

#include <QDialog>
#include <QUrl>

class QPushButton;
class QTextBrowser;

// The program's own help: Hungarian task pages compiled into the program, read in a browser with
// working links, "Vissza" and "Tartalom".
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    // The contents page every visit starts on.
    static QUrl contentsUrl();

private:
    QTextBrowser* m_browser;
    QPushButton* m_backButton;
    QPushButton* m_contentsButton;
    QPushButton* m_closeButton;
};
