#pragma once

#include "core/dataset.h"

#include <QDialog>

#include <functional>

class DBGrid;
class DBNavigator;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class Session;

// "Keresés": the live arrivals or departures whose ear tag begins with the typed digits, each with
// its carrier and its sender or buyer. The grid shows every selected column, titled as the database
// names it. It opens on every live arrival in entry order; clicking a column title lists the whole
// live table that the radio buttons choose at that moment in the order of that column, whatever
// the grid showed before. "Fülszám története" (a button, and the grid's context menu) opens the story
// of the current row's ear tag. The screen only reads.
class EarTagSearchDialog : public QDialog {
    Q_OBJECT
public:
    explicit EarTagSearchDialog(Session& session, QWidget* parent = nullptr);

    // "Keresés": the chosen table's rows whose ear tag begins with the typed digits (all rows when
    // nothing is typed), in ear-tag order.
    void search();
    // A click on the title at this position (counted from 0) of the grid.
    void sortByColumn(int position);

protected:
    void showEvent(QShowEvent* event) override;

private:
    enum class Table { Arrivals, Departures };
    Table chosenTable() const;
    // Runs open, which fills the result list; a failure goes to the standard error box.
    bool openList(const std::function<void()>& open);

    Session& m_session;
    Dataset m_rows;  // what the grid shows: the search's or the whole list's rows
    DataSource m_rowsSource;
    bool m_shown = false;
    QLabel* m_earTagLabel;
    QLineEdit* m_earTag;
    QPushButton* m_searchButton;
    QGroupBox* m_tableChoice;
    QRadioButton* m_arrivals;
    QRadioButton* m_departures;
    QLabel* m_order;
    DBGrid* m_list;
    DBNavigator* m_navigator;
    QPushButton* m_storyButton;
    QPushButton* m_cancelButton;
};
