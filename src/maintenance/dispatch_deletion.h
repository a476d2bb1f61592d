#pragma once

#include <QDialog>

class DBGrid;
class DBNavigator;
class QPushButton;

// "Kiszállítottak törlése": deletes every live dispatch (the archive is not touched). The days to
// keep are archived first and withdrawn afterwards, as the screen's instructions say. The deletion
// is not committed here: it stays in the shared transaction until its next commit.
class DispatchDeletionDialog : public QDialog {
    Q_OBJECT
public:
    explicit DispatchDeletionDialog(QWidget* parent = nullptr);

    void done(int result) override;

private:
    void buildLayout();
    void deleteAllDispatches();

    DBGrid* m_dispatches;
    DBNavigator* m_navigator;
    QPushButton* m_deleteButton;
    QPushButton* m_cancelButton;
};
