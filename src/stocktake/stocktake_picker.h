#pragma once

#include <QDialog>
#include <optional>

#include "core/dataset.h"

class DBGrid;
class QPushButton;
class Session;

// "Leltárak": every stock-take, the newest first, to open one again (an open one to go on with,
// a closed one to look at and print). Hands back the one picked.
class StockTakePickerDialog : public QDialog {
    Q_OBJECT
public:
    explicit StockTakePickerDialog(Session& session, QWidget* parent = nullptr);

    // The stock-take picked with "Megnyitás" or a double-click.
    const std::optional<qint64>& chosen() const { return m_chosen; }
    void choose();

private:
    Dataset m_rows;
    DataSource m_source;
    DBGrid* m_grid;
    QPushButton* m_openButton;
    QPushButton* m_cancelButton;
    std::optional<qint64> m_chosen;
};
