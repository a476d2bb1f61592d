#pragma once

#include "ui/sharedwork.h"

#include <QDialog>

class DBGrid;
class DBNavigator;
class QPushButton;

// "Kiszállítottak törlése": deletes every live dispatch (the archive is not touched). The days to
// keep are archived first and withdrawn afterwards, as the screen's instructions say. The deletion
// is not committed here: it stays in the shared transaction until its next commit. No other desk on
// the database moves or deletes departures meanwhile: this desk holds that work from the deletion
// until the screen closes, and while the deletion is still pending, until it is committed or undone.
class DispatchDeletionDialog : public QDialog {
    Q_OBJECT
public:
    explicit DispatchDeletionDialog(QWidget* parent = nullptr);

    void done(int result) override;

private:
    void buildLayout();
    void deleteAllDispatches();

    SharedWorkGuard m_sharedWork;
    DBGrid* m_dispatches;
    DBNavigator* m_navigator;
    QPushButton* m_deleteButton;
    QPushButton* m_cancelButton;
};
