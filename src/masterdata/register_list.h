#pragma once

#include "core/entrymode.h"
#include "masterdata/register.h"
#include "ui/dbwidgets.h"

#include <QDialog>
#include <QSize>

#include <functional>
#include <memory>

class QGroupBox;
class QLabel;
class QPushButton;
class QShowEvent;
class RegisterEditDialog;

namespace masterdata {

// A text of the list screen's "Adatok" group, bound to a field of the current row; announced by
// its own name, or by its line's caption when it has none.
struct DetailText {
    DetailText(QString field, QString accessibleName = {})
        : field(std::move(field)), accessibleName(std::move(accessibleName))
    {
    }
    QString field;
    QString accessibleName;
};
// A line of that group: its caption labels the line's last text.
struct DetailLine {
    QString caption;
    std::vector<DetailText> texts;
};

// A click on a column title: the grid column, how the list is opened in its order, the heading
// it shows.
struct SortOrder {
    int column;
    std::function<void()> openList;
    QString heading;
};

// Everything the two register list screens differ in.
struct ListScreen {
    QString objectName;
    QString title;
    QString headingAtStart;
    QString headingOnShow;
    QString headingAfterWrite;
    std::vector<GridColumn> columns;
    QSize gridMinimum;
    std::vector<DetailLine> details;
    std::vector<SortOrder> sortOrders;  // columns without one do not sort
    Register reg;
    Deletion deletion;
    QString unreadableRow;  // said when the current row cannot be read into the edit dialog
};

}  // namespace masterdata

// A register list screen: a heading, the grid with its navigator, the current row in the
// "Adatok" group, and "Kiválaszt", "Új", "Módosít", "Töröl", "Mégsem". It serves the main menu
// and, as a picker, the entry screens: whatever row of the list is current when it closes is the
// chosen one ("Kiválaszt" and "Mégsem" alike only close it).
class RegisterListDialog : public QDialog {
    Q_OBJECT
public:
    // "Új": the edit dialog opens empty; a save reloads the list on the remembered code.
    void addRow();
    // "Módosít": the edit dialog opens on the current row; a save reloads as "Új" does.
    void changeCurrentRow();
    // "Töröl": deletes the current row unless it is used or the last one, then reloads.
    void deleteCurrentRow();
    // A click on a column title: the list in that column's order, from its first row.
    void sortByColumn(int column);
    // The load when the screen is shown: the list positioned on the remembered code.
    void reloadOnShow();

protected:
    RegisterListDialog(Session& session, masterdata::ListScreen screen, QWidget* parent);
    Session& session() const { return m_session; }
    // The register's edit dialog, opened in the given mode.
    virtual std::unique_ptr<RegisterEditDialog> createEditor(EntryMode mode) = 0;
    void showEvent(QShowEvent* event) override;

private:
    QGroupBox* buildDetails();
    void runEditor(RegisterEditDialog& editor);
    void reloadAfterWrite();

    Session& m_session;
    masterdata::ListScreen m_screen;
    QLabel* m_heading;
    DBGrid* m_list;
    DBNavigator* m_navigator;
    QGroupBox* m_details;
    QPushButton* m_chooseButton;
    QPushButton* m_newButton;
    QPushButton* m_changeButton;
    QPushButton* m_deleteButton;
    QPushButton* m_cancelButton;
};
