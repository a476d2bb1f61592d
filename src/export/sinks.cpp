#include "export/sinks.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace spreadsheet::detail {

QString reasonOf(int error)
{
    switch (error) {
    case EACCES:
    case EPERM: return QStringLiteral("Nincs jogosultság a fájl írásához.");
    case ENOSPC:
    case EDQUOT: return QStringLiteral("Nincs elég hely a lemezen.");
    case EFBIG: return QStringLiteral("A fájl nagyobb, mint amekkorát a rendszer megenged.");
    case EROFS: return QStringLiteral("A lemez csak olvasható.");
    case ENOENT:
    case ENOTDIR: return QStringLiteral("A mappa nem létezik.");
    case EISDIR: return QStringLiteral("Ezen a néven egy mappa van.");
    case EBUSY:
    case ETXTBSY: return QStringLiteral("A fájlt egy másik program használja.");
    case EIO: return QStringLiteral("Írási hiba a lemezen.");
    case ENAMETOOLONG: return QStringLiteral("A fájl neve túl hosszú.");
    case ENOMEM: return QStringLiteral("Nincs elég memória.");
    default: return QStringLiteral("A fájl írása nem sikerült (rendszerhiba: %1).").arg(error);
    }
}

namespace {

// Characters of a UTF-8 text (the bytes that begin one).
std::size_t characters(const char* text, std::size_t length)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < length; ++i)
        n += (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    return n;
}

std::size_t digits(qint64 v)
{
    std::size_t n = v < 0 ? 2 : 1;
    for (quint64 u = v < 0 ? 0 - static_cast<quint64>(v) : static_cast<quint64>(v); u >= 10; u /= 10)
        ++n;
    return n;
}

// yyyy.MM.dd of a Julian day into out (10 characters).
void dateText(qint64 julianDay, char* out)
{
    const QDate d = QDate::fromJulianDay(julianDay);
    const auto put = [](char* at, int value, int width) {
        for (int i = width - 1; i >= 0; --i, value /= 10)
            at[i] = static_cast<char>('0' + value % 10);
    };
    put(out, std::clamp(d.year(), 0, 9999), 4);
    out[4] = '.';
    put(out + 5, d.month(), 2);
    out[7] = '.';
    put(out + 8, d.day(), 2);
    out[10] = '\0';
}

// ---------------------------------------------------------------- CSV

class CsvSink : public Sink {
public:
    explicit CsvSink(int fd) : m_fd(fd) { m_out.reserve(kFlushAt + 4096); }
    ~CsvSink() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    void begin(const std::vector<Column>& columns, const Options&) override
    {
        m_columns = static_cast<int>(columns.size());
        m_out.append("\xEF\xBB\xBF");  // Excel reads the file as UTF-8 only with its byte-order mark
        for (int c = 0; c < m_columns; ++c) {
            if (c > 0)
                m_out.push_back(';');
            const QByteArray title = columns[static_cast<std::size_t>(c)].title.toUtf8();
            appendText(title.constData(), static_cast<std::size_t>(title.size()));
        }
        m_out.append("\r\n");
    }

    void writeRow(const Cell* cells, const char* text) override
    {
        for (int c = 0; c < m_columns; ++c) {
            if (c > 0)
                m_out.push_back(';');
            const Cell& cell = cells[c];
            switch (cell.type) {
            case CellType::Empty: break;
            case CellType::Text: appendText(text + cell.integer, cell.length); break;
            case CellType::Integer: {
                char buf[24];
                const auto r = std::to_chars(buf, buf + sizeof buf, cell.integer);
                m_out.append(buf, r.ptr);
                break;
            }
            case CellType::Number: {
                char buf[40];
                const auto r = std::to_chars(buf, buf + sizeof buf, cell.number);
                // A decimal comma, as Hungarian spreadsheets read numbers.
                std::replace(buf, r.ptr, '.', ',');
                m_out.append(buf, r.ptr);
                break;
            }
            case CellType::Date: {
                char buf[11];
                dateText(cell.integer, buf);
                m_out.append(buf, 10);
                break;
            }
            }
        }
        m_out.append("\r\n");
        if (m_out.size() >= kFlushAt)
            flush();
    }

    void finish() override
    {
        flush();
        // On the disk before the name is given to it: a crash must not leave an empty file there.
        if (::fsync(m_fd) != 0 && errno != EINVAL)
            throw SinkError{reasonOf(errno)};
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0)
            throw SinkError{reasonOf(errno)};
    }

    void abandon() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    static constexpr std::size_t kFlushAt = 256 * 1024;

    void appendText(const char* p, std::size_t n)
    {
        bool quote = false;
        for (std::size_t i = 0; i < n && !quote; ++i)
            quote = p[i] == ';' || p[i] == '"' || p[i] == '\r' || p[i] == '\n';
        // A value a spreadsheet would run as a formula (a name typed or taken over from outside as
        // "=HYPERLINK(…)") is kept as text by a leading apostrophe.
        const bool formula = n > 0 && (p[0] == '=' || p[0] == '+' || p[0] == '@' ||
                                       (p[0] == '-' && n > 1 && !(p[1] >= '0' && p[1] <= '9') && p[1] != ' ' &&
                                        p[1] != '-' && p[1] != ','));
        if (!quote && !formula) {
            m_out.append(p, n);
            return;
        }
        if (quote)
            m_out.push_back('"');
        if (formula)
            m_out.push_back('\'');
        for (std::size_t i = 0; i < n; ++i) {
            if (p[i] == '"')
                m_out.push_back('"');
            m_out.push_back(p[i]);
        }
        if (quote)
            m_out.push_back('"');
    }

    void flush()
    {
        std::size_t done = 0;
        while (done < m_out.size()) {
            const ssize_t w = ::write(m_fd, m_out.data() + done, m_out.size() - done);
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                throw SinkError{reasonOf(errno)};
            }
            done += static_cast<std::size_t>(w);
        }
        m_out.clear();
    }

    int m_fd;
    int m_columns = 0;
    std::string m_out;
};

// ---------------------------------------------------------------- xlsx

// Excel counts dates from 1899-12-30 (day 1 is 1900-01-01; its day 60 is a 29 February that never
// was, so the serial numbers agree with the calendar from 1900-03-01, day 61, on).
constexpr qint64 kExcelEpoch = 2415019;  // the Julian day of 1899-12-30
constexpr qint64 kFirstTrueSerial = 61;
constexpr std::size_t kMostCharacters = 32767;  // in one cell
constexpr double kWidestColumn = 80;

QString lxwReason(lxw_error error, int systemError)
{
    switch (error) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED: return QStringLiteral("Nincs elég memória.");
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        if (systemError != 0)
            return reasonOf(systemError);
        return QStringLiteral("A munkafüzet fájlját nem sikerült megírni.");
    default:
        return QStringLiteral("A munkafüzetet nem sikerült összeállítani (libxlsxwriter hibakód: %1).")
            .arg(static_cast<int>(error));
    }
}

class XlsxSink : public Sink {
public:
    explicit XlsxSink(const QString& path) : m_path(QFile::encodeName(path)) {}
    ~XlsxSink() override { abandon(); }

    void begin(const std::vector<Column>& columns, const Options& options) override
    {
        m_columns = columns;
        m_rowsPerSheet = std::clamp(options.rowsPerSheet, 2, 1048576);
        m_sheetName = sheetNameFrom(options.sheetName);
        // The rows wait in temporary files until the workbook is packed: where the system keeps them
        // (TMPDIR), not in memory.
        m_tmpdir = QFile::encodeName(QDir::tempPath());
        lxw_workbook_options o{};
        o.constant_memory = LXW_TRUE;
        o.tmpdir = m_tmpdir.data();
        o.use_zip64 = LXW_FALSE;
        m_workbook = workbook_new_opt(m_path.constData(), &o);
        if (!m_workbook)
            throw SinkError{QStringLiteral("Nincs elég memória.")};
        m_bold = workbook_add_format(m_workbook);
        format_set_bold(m_bold);
        m_text = workbook_add_format(m_workbook);
        format_set_num_format(m_text, "@");
        m_date = workbook_add_format(m_workbook);
        format_set_num_format(m_date, "yyyy.mm.dd");
        m_widths.assign(m_columns.size(), 0);
        startSheet();
    }

    void writeRow(const Cell* cells, const char* text) override
    {
        if (m_row >= static_cast<lxw_row_t>(m_rowsPerSheet)) {
            endSheet();
            startSheet();
        }
        for (std::size_t c = 0; c < m_columns.size(); ++c) {
            const Cell& cell = cells[c];
            const auto col = static_cast<lxw_col_t>(c);
            lxw_error err = LXW_NO_ERROR;
            std::size_t width = 0;
            switch (cell.type) {
            case CellType::Empty: break;
            case CellType::Text: {
                const char* p = text + cell.integer;
                width = characters(p, cell.length);
                if (width > kMostCharacters)
                    p = cut(p, cell.length);
                err = worksheet_write_string(m_sheet, m_row, col, p, m_text);
                break;
            }
            case CellType::Integer:
                width = digits(cell.integer);
                err = worksheet_write_number(m_sheet, m_row, col, static_cast<double>(cell.integer), nullptr);
                break;
            case CellType::Number:
                width = std::abs(cell.number) < 1e15 ? digits(static_cast<qint64>(cell.number)) + 3 : 15;
                err = worksheet_write_number(m_sheet, m_row, col, cell.number, nullptr);
                break;
            case CellType::Date: {
                width = 10;
                const qint64 serial = cell.integer - kExcelEpoch;
                if (serial >= kFirstTrueSerial) {
                    err = worksheet_write_number(m_sheet, m_row, col, static_cast<double>(serial), m_date);
                } else {
                    // Excel has no date before 1900-03-01 it could show rightly: the date as text.
                    char buf[11];
                    dateText(cell.integer, buf);
                    err = worksheet_write_string(m_sheet, m_row, col, buf, m_text);
                }
                break;
            }
            }
            if (err != LXW_NO_ERROR)
                throw SinkError{lxwReason(err, 0)};
            m_widths[c] = std::max(m_widths[c], width);
        }
        ++m_row;
    }

    void finish() override
    {
        endSheet();
        checkTemporaryFiles();
        errno = 0;
        const lxw_error err = workbook_close(m_workbook);
        const int systemError = errno;
        m_workbook = nullptr;
        m_sheets.clear();
        if (err != LXW_NO_ERROR)
            throw SinkError{lxwReason(err, systemError)};
        // On the disk before the name is given to it: a crash must not leave an empty file there.
        const int fd = ::open(m_path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            throw SinkError{reasonOf(errno)};
        const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
        const int syncError = errno;
        ::close(fd);
        if (!synced)
            throw SinkError{reasonOf(syncError)};
    }

    void abandon() override
    {
        if (!m_workbook)
            return;
        // Freed without packing; the rows' temporary files (already unlinked) go with their handles.
        for (lxw_worksheet* sheet : m_sheets) {
            if (sheet->optimize_tmpfile) {
                std::fclose(sheet->optimize_tmpfile);
                sheet->optimize_tmpfile = nullptr;
            }
        }
        lxw_workbook_free(m_workbook);
        m_workbook = nullptr;
        m_sheets.clear();
    }

private:
    void startSheet()
    {
        QString name = m_sheetName;
        if (!m_sheets.empty()) {
            const QString suffix = QStringLiteral(" (%1)").arg(m_sheets.size() + 1);
            name = name.left(31 - suffix.size()) + suffix;
        }
        m_sheet = workbook_add_worksheet(m_workbook, name.toUtf8().constData());
        if (!m_sheet)
            m_sheet = workbook_add_worksheet(m_workbook, nullptr);
        if (!m_sheet)
            throw SinkError{QStringLiteral("Nincs elég memória.")};
        m_sheets.push_back(m_sheet);
        for (std::size_t c = 0; c < m_columns.size(); ++c) {
            const QByteArray title = m_columns[c].title.toUtf8();
            const lxw_error err = worksheet_write_string(m_sheet, 0, static_cast<lxw_col_t>(c), title.constData(), m_bold);
            if (err != LXW_NO_ERROR)
                throw SinkError{lxwReason(err, 0)};
            // Room for the title in bold and the filter's button beside it.
            m_widths[c] = static_cast<std::size_t>(m_columns[c].title.size() * 1.1 + 3);
        }
        worksheet_freeze_panes(m_sheet, 1, 0);
        // Ear tags and codes are text on purpose: Excel is not to flag them as numbers stored as text.
        worksheet_ignore_errors(m_sheet, LXW_IGNORE_NUMBER_STORED_AS_TEXT, "A1:XFD1048576");
        m_row = 1;
    }

    void endSheet()
    {
        if (!m_sheet)
            return;
        for (std::size_t c = 0; c < m_columns.size(); ++c) {
            lxw_format* format = m_columns[c].kind == Kind::Text ? m_text
                                 : m_columns[c].kind == Kind::Date ? m_date
                                                                    : nullptr;
            const double width = std::min(kWidestColumn, static_cast<double>(m_widths[c]) + 2);
            worksheet_set_column(m_sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), width, format);
        }
        if (!m_columns.empty() && (m_row > 1 || m_columns.size() > 1))
            worksheet_autofilter(m_sheet, 0, 0, m_row - 1, static_cast<lxw_col_t>(m_columns.size() - 1));
        m_sheet = nullptr;
        std::fill(m_widths.begin(), m_widths.end(), 0);
    }

    // libxlsxwriter does not look at its own writes of the rows into the temporary files; a full
    // disk there would leave rows out of a workbook it calls complete. So: every row written must
    // have reached its file, and packing must find room for a copy of them.
    void checkTemporaryFiles()
    {
        unsigned long long bytes = 0;
        for (lxw_worksheet* sheet : m_sheets) {
            std::FILE* f = sheet->optimize_tmpfile;
            if (!f)
                continue;
            if (std::fflush(f) != 0 || std::ferror(f))
                throw SinkError{reasonOf(errno != 0 ? errno : EIO)};
            const long at = std::ftell(f);
            if (at > 0)
                bytes += static_cast<unsigned long long>(at);
        }
        struct statvfs fs {};
        if (::statvfs(m_tmpdir.constData(), &fs) == 0) {
            const unsigned long long room = static_cast<unsigned long long>(fs.f_bavail) * fs.f_frsize;
            if (room < bytes + (1ull << 20))
                throw SinkError{reasonOf(ENOSPC)};
        }
    }

    // The text cut to the characters a cell holds.
    const char* cut(const char* p, std::size_t length)
    {
        std::size_t n = 0, i = 0;
        for (; i < length; ++i)
            if ((static_cast<unsigned char>(p[i]) & 0xC0) != 0x80 && n++ == kMostCharacters)
                break;
        m_cutText.assign(p, i);
        return m_cutText.c_str();
    }

    QByteArray m_path;
    QByteArray m_tmpdir;
    std::vector<Column> m_columns;
    int m_rowsPerSheet = 1048576;
    QString m_sheetName;
    lxw_workbook* m_workbook = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    std::vector<lxw_worksheet*> m_sheets;
    lxw_format* m_bold = nullptr;
    lxw_format* m_text = nullptr;
    lxw_format* m_date = nullptr;
    lxw_row_t m_row = 0;
    std::vector<std::size_t> m_widths;
    std::string m_cutText;
};

}  // namespace

std::unique_ptr<Sink> makeCsvSink(int fd) { return std::make_unique<CsvSink>(fd); }
std::unique_ptr<Sink> makeXlsxSink(const QString& path) { return std::make_unique<XlsxSink>(path); }

}  // namespace spreadsheet::detail
