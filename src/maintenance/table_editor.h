#pragma once

#include "maintenance/table_unlock.h"

#include <QDialog>

#include <vector>

class QPushButton;
class QTabWidget;
class TableDataset;

// "Adatok": the raw tables of the database (all but the XML takeover's staging table), one per
// tab, through the data module's table datasets. They are read-only until "Szerkeszt" unlocks them
// with a password, or the shortcut letter is typed on that button; unlocked tables are edited in
// the grids and with the navigators, each saved row committed at once.
class TableEditorDialog : public QDialog {
    Q_OBJECT
public:
    explicit TableEditorDialog(QWidget* parent = nullptr);

    // The letter that, typed on "Szerkeszt", unlocks every table but PARTNER without a password.
    static constexpr char16_t kUnlockLetter = u'q';

    void done(int result) override;

private:
    void buildLayout();
    // Asks for the password; the answer is kept also when the dialog was cancelled.
    void askPasswordAndUnlock();
    void unlock(maintenance::TableAccess access);
    bool eventFilter(QObject* watched, QEvent* event) override;

    QTabWidget* m_pages;
    std::vector<TableDataset*> m_tables;  // in the order of the tabs
    QPushButton* m_editButton;
    QPushButton* m_cancelButton;
    // The answer last typed into the password dialog; cleared once it has unlocked tables.
    QString m_passwordAnswer;
};
