#pragma once

// The export's inside: blocks of rows handed from the reading thread to the writing one, and the
// two kinds of file that write them.

#include "export/spreadsheet.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace spreadsheet::detail {

enum class CellType : std::uint8_t { Empty, Text, Integer, Number, Date };

struct Cell {
    CellType type = CellType::Empty;
    std::uint32_t length = 0;  // text: its bytes, without the NUL that ends it
    qint64 integer = 0;        // text: its offset in the block's text; date: the Julian day
    double number = 0;
};

// Rows in the order they were read: rows × columns cells, their texts one after another in UTF-8,
// each ended by a NUL (libxlsxwriter takes C strings).
struct Block {
    std::vector<Cell> cells;
    std::string text;
    int rows = 0;
    void clear()
    {
        cells.clear();
        text.clear();
        rows = 0;
    }
};

// A failure of the file being written: why, in Hungarian (the caller names the file).
struct SinkError {
    QString reason;
};

// Why a file operation failed, from its errno, in Hungarian.
QString reasonOf(int error);

// A file being written; used by the writing thread only. Every call may throw SinkError.
class Sink {
public:
    virtual ~Sink() = default;
    virtual void begin(const std::vector<Column>& columns, const Options& options) = 0;
    virtual void writeRow(const Cell* cells, const char* text) = 0;
    // Completes the file; it is then whole on the disk.
    virtual void finish() = 0;
    // Gives up the file without completing it (the caller removes it).
    virtual void abandon() = 0;
};

// fd: the side file, opened for writing; the sink closes it.
std::unique_ptr<Sink> makeCsvSink(int fd);
// path: the side file (created, empty); libxlsxwriter writes it when the workbook is closed.
std::unique_ptr<Sink> makeXlsxSink(const QString& path);

}  // namespace spreadsheet::detail
