#pragma once

#include "export/spreadsheet.h"

#include <QString>

#include <memory>
#include <vector>

class Dataset;
namespace fb {
class Statement;
class Cursor;
}  // namespace fb

namespace spreadsheet {

// One column of a dataset to export: its field (case-insensitive; one the statement lacks exports
// empty) and its title.
struct DatasetField {
    QString field;
    QString title;
};

// Every row a dataset's statement gives, not only the ones the dataset fetched so far: the statement
// runs again, with the parameters as bound now, through a cursor of its own in the program's
// transaction, and is read to its end a row at a time. The dataset's fetched rows and current row
// stay as they were. The statement is prepared when the columns are asked for; it runs at the first
// row. The kinds of the columns follow the database's column types: DATE is a date,
// integers and decimals are numbers, everything else is text.
class DatasetRows : public RowSource {
public:
    // The dataset must be open. Without fields: every field, titled by its name.
    DatasetRows(Dataset& dataset, std::vector<DatasetField> fields = {});
    ~DatasetRows() override;

    std::vector<Column> columns() override;
    bool next(Row& row) override;
    // The statement and cursor are its own (the engine's client is safe across threads), so the
    // rows may come in the export's reading thread while the window stays painted.
    bool readsInAnyThread() const override { return true; }

private:
    struct Field {
        int index = -1;  // in the statement's columns; -1 when it has no such field
        Kind kind = Kind::Text;
    };
    void start();

    Dataset& m_dataset;
    std::vector<DatasetField> m_requested;
    std::vector<Field> m_fields;
    std::unique_ptr<fb::Statement> m_statement;
    std::unique_ptr<fb::Cursor> m_cursor;
    std::vector<unsigned char> m_buffer;
    bool m_finished = false;
    std::string m_utf8;
};

}  // namespace spreadsheet
