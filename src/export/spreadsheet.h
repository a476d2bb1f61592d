#pragma once

#include <QDate>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// Rows to a spreadsheet file: Excel (.xlsx, through libxlsxwriter in its constant-memory mode) or
// CSV (UTF-8 with a byte-order mark, ";" between values, CRLF line ends, as Hungarian Excel opens
// it). The rows stream from a RowSource, a block at a time, so a million rows cost as much memory
// as a thousand. The file appears whole or not at all: the rows go to a side file beside it,
// renamed to the chosen name at the end; a cancelled or failed export leaves neither file.
//
// The file is written in a thread of its own, so the caller's progress callback keeps running (and
// the window painted) also while the workbook is packed at the end. The source is read in the
// calling thread, or in a thread of its own when it says it may be.
namespace spreadsheet {

// What a column holds, and so how its cells are formatted.
enum class Kind {
    Text,    // ear tags, codes, certificates, names: always text cells (leading zeros kept)
    Date,    // real date cells, shown yyyy.mm.dd
    Number,  // counts, identifiers, amounts
};

struct Column {
    QString title;  // the Hungarian title of the header row
    Kind kind = Kind::Text;
};

enum class Format { Xlsx, Csv };

namespace detail {
struct Cell;
struct Block;
}  // namespace detail

// The cells of one row, filled by a source. A cell not set stays empty. The value decides the cell's
// type (text, number or date); a source sets each column as its kind says.
class Row {
public:
    int columnCount() const { return m_columns; }
    void setText(int column, QStringView text);
    // Text already in UTF-8.
    void setUtf8(int column, const char* data, std::size_t length);
    void setInteger(int column, qint64 value);
    void setNumber(int column, double value);
    // An invalid date leaves the cell empty.
    void setDate(int column, QDate date);

private:
    friend class Pipeline;
    detail::Cell* cell(int column);
    detail::Block* m_block = nullptr;
    std::size_t m_first = 0;  // the row's first cell in the block
    int m_columns = 0;
};

// What an export reads. Any code can implement it: a dataset's statement (dataset_rows.h), a
// printout's band list, a day's movements.
class RowSource {
public:
    virtual ~RowSource() = default;
    // The columns, asked once before the first row.
    virtual std::vector<Column> columns() = 0;
    // Fills row with the next row's values; false when no row is left. A failure to read throws
    // SourceError (its message is shown to the person).
    virtual bool next(Row& row) = 0;
    // True when next() may be called from a thread of the export's own (never two at once): the
    // rows are then read there, and the caller's window stays painted even while one row takes
    // long to come. columns() is always asked in the calling thread.
    virtual bool readsInAnyThread() const { return false; }
};

class SourceError : public std::runtime_error {
public:
    explicit SourceError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

struct Options {
    // The worksheet's name (Excel allows 31 characters and none of []:*?/\); empty: "Munka1".
    QString sheetName;
    // Rows on one worksheet, the header row included: Excel's limit. The rows beyond it go on
    // further worksheets, each with the header.
    int rowsPerSheet = 1048576;
};

struct Progress {
    qint64 rows = 0;         // rows read from the source so far
    bool finishing = false;  // every row is read; the file is being completed
};
// Called in the calling thread after every few rows and, while the writer is behind or the file is
// being completed, at least every 50 ms. Answers false to cancel the export.
using ProgressCallback = std::function<bool(const Progress&)>;

struct Result {
    enum class Outcome { Written, Cancelled, Failed };
    Outcome outcome = Outcome::Failed;
    qint64 rows = 0;  // data rows written (or read before it stopped)
    QString message;  // why it failed, in Hungarian, naming the file
    bool ok() const { return outcome == Outcome::Written; }
};

// Writes every row of source to fileName (an existing file is replaced only once the new one is
// complete).
Result write(RowSource& source, const QString& fileName, Format format, const Options& options = {},
             const ProgressCallback& progress = {});

// The format a file name asks for by its extension: ".csv" is CSV, anything else .xlsx.
Format formatOf(const QString& fileName);

// A sheet name Excel accepts, made of name: the characters it refuses replaced, at most 31 long.
QString sheetNameFrom(const QString& name);

}  // namespace spreadsheet
