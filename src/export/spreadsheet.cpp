#include "export/spreadsheet.h"

#include "export/sinks.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <future>
#include <atomic>
#include <fcntl.h>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace spreadsheet {

using detail::Block;
using detail::Cell;
using detail::CellType;

// ---------------------------------------------------------------- Row

detail::Cell* Row::cell(int column)
{
    if (column < 0 || column >= m_columns)
        return nullptr;
    return &m_block->cells[m_first + static_cast<std::size_t>(column)];
}

void Row::setUtf8(int column, const char* data, std::size_t length)
{
    Cell* c = cell(column);
    if (!c)
        return;
    c->type = CellType::Text;
    c->integer = static_cast<qint64>(m_block->text.size());
    c->length = static_cast<std::uint32_t>(length);
    m_block->text.append(data, length);
    m_block->text.push_back('\0');
}

void Row::setText(int column, QStringView text)
{
    const QByteArray utf8 = text.toUtf8();
    setUtf8(column, utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

void Row::setInteger(int column, qint64 value)
{
    if (Cell* c = cell(column)) {
        c->type = CellType::Integer;
        c->integer = value;
    }
}

void Row::setNumber(int column, double value)
{
    if (Cell* c = cell(column)) {
        c->type = CellType::Number;
        c->number = value;
    }
}

void Row::setDate(int column, QDate date)
{
    Cell* c = cell(column);
    if (!c || !date.isValid())
        return;
    c->type = CellType::Date;
    c->integer = date.toJulianDay();
}

// ---------------------------------------------------------------- helpers

Format formatOf(const QString& fileName)
{
    return QFileInfo(fileName).suffix().compare(QStringLiteral("csv"), Qt::CaseInsensitive) == 0 ? Format::Csv
                                                                                                : Format::Xlsx;
}

QString sheetNameFrom(const QString& name)
{
    QString s = name.simplified();
    for (QChar& ch : s)
        if (QStringLiteral("[]:*?/\\").contains(ch))
            ch = u'-';
    // Excel refuses a name that begins or ends with an apostrophe.
    while (s.startsWith(u'\''))
        s.remove(0, 1);
    s = s.left(31);
    while (s.endsWith(u'\''))
        s.chop(1);
    s = s.trimmed();
    return s.isEmpty() ? QStringLiteral("Munka1") : s;
}

namespace {

QString cannotSave(const QString& fileName, const QString& reason)
{
    return QStringLiteral("Nem lehet menteni a(z) \"%1\" fájlt. %2").arg(QDir::toNativeSeparators(fileName), reason);
}

// The file the rows go to until they are all there: beside the target (so that renaming it is one
// step of the file system), created here so that a folder that cannot be written to is known before
// any row is read. Its rights are the ones a new file gets (the umask applies).
struct SideFile {
    QByteArray path;
    int fd = -1;
    int error = 0;

    explicit SideFile(const QString& target)
    {
        static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
        for (int attempt = 0; attempt < 100; ++attempt) {
            QString suffix = QStringLiteral(".");
            for (int i = 0; i < 6; ++i)
                suffix += QChar(letters[QRandomGenerator::global()->bounded(36)]);
            path = QFile::encodeName(target + suffix + QStringLiteral(".tmp"));
            fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0 || errno != EEXIST)
                break;
        }
        if (fd < 0)
            error = errno;
    }
    void closeHandle()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    int takeHandle()
    {
        const int f = fd;
        fd = -1;
        return f;
    }
    void remove()
    {
        closeHandle();
        if (!path.isEmpty())
            ::unlink(path.constData());
        path.clear();
    }
};

constexpr int kRowsPerBlock = 1024;
constexpr int kBlocks = 4;  // in flight between the two threads: memory stays flat
constexpr auto kReportEvery = std::chrono::milliseconds(50);

}  // namespace

// Blocks of rows going from the reading thread to the writing thread and back empty.
class Pipeline {
public:
    explicit Pipeline(detail::Sink& sink) : m_sink(sink)
    {
        for (auto& b : m_storage)
            m_free.push_back(&b);
    }

    // --- reading thread
    // An empty block, once the writer gave one back; null when the writer stopped (failed). Calls
    // waiting (false: cancel) while it waits.
    Block* takeFree(const std::function<bool()>& waiting, bool& cancelled)
    {
        std::unique_lock lock(m_mutex);
        auto due = std::chrono::steady_clock::now() + kReportEvery;
        for (;;) {
            if (m_failed)
                return nullptr;
            if (!m_free.empty()) {
                Block* b = m_free.front();
                m_free.pop_front();
                return b;
            }
            if (m_cv.wait_until(lock, due) == std::cv_status::timeout) {
                due = std::chrono::steady_clock::now() + kReportEvery;
                lock.unlock();
                if (!waiting()) {
                    cancelled = true;
                    return nullptr;
                }
                lock.lock();
            }
        }
    }
    void give(Block* b)
    {
        {
            std::lock_guard lock(m_mutex);
            m_full.push_back(b);
        }
        m_cv.notify_all();
    }
    // No more rows: the writer completes the file (finish) or drops it (stop).
    void end(bool complete)
    {
        {
            std::lock_guard lock(m_mutex);
            m_ended = true;
            m_complete = complete;
        }
        m_cv.notify_all();
    }
    // Waits for the writer to end, calling waiting meanwhile (false: cancel, though a workbook being
    // packed is only dropped once packing is done).
    bool waitForWriter(const std::function<bool()>& waiting)
    {
        bool cancelled = false;
        std::unique_lock lock(m_mutex);
        auto due = std::chrono::steady_clock::now() + kReportEvery;
        while (!m_writerDone) {
            if (m_cv.wait_until(lock, due) == std::cv_status::timeout) {
                due = std::chrono::steady_clock::now() + kReportEvery;
                lock.unlock();
                if (!waiting())
                    cancelled = true;
                lock.lock();
            }
        }
        return !cancelled;
    }
    // Reads rows of source into b until it is full, the source has no more (more becomes false) or
    // fails (failure says why), or it is time to hear from the caller again.
    void fill(Block& b, RowSource& source, int width, qint64& rows, bool& more, QString& failure,
              const std::function<bool()>& enough)
    {
        b.clear();
        Row row;
        row.m_block = &b;
        row.m_columns = width;
        while (b.rows < kRowsPerBlock) {
            row.m_first = b.cells.size();
            const std::size_t textMark = b.text.size();
            b.cells.resize(row.m_first + static_cast<std::size_t>(width));
            bool got = false;
            try {
                got = source.next(row);
            } catch (const SourceError& e) {
                failure = e.message();
            } catch (const std::bad_alloc&) {
                failure = QStringLiteral("Nincs elég memória.");
            } catch (const std::exception& e) {
                failure = QString::fromLocal8Bit(e.what());
            }
            if (!got) {
                b.cells.resize(row.m_first);
                b.text.resize(textMark);
                more = false;
                return;
            }
            ++b.rows;
            ++rows;
            if ((rows & 63) == 0 && enough())
                return;
        }
    }

    bool failed() const
    {
        std::lock_guard lock(m_mutex);
        return m_failed;
    }
    QString failure() const
    {
        std::lock_guard lock(m_mutex);
        return m_failure;
    }

    // --- writing thread
    void run(const std::vector<Column>& columns, const Options& options)
    {
        const std::size_t width = columns.size();
        try {
            m_sink.begin(columns, options);
            for (;;) {
                Block* b = nullptr;
                {
                    std::unique_lock lock(m_mutex);
                    m_cv.wait(lock, [this] { return !m_full.empty() || (m_ended); });
                    if (!m_full.empty()) {
                        b = m_full.front();
                        m_full.pop_front();
                    } else {
                        break;
                    }
                }
                bool complete = true;
                {
                    std::lock_guard lock(m_mutex);
                    complete = !m_ended || m_complete;
                }
                if (complete) {
                    const char* text = b->text.data();
                    for (int r = 0; r < b->rows; ++r)
                        m_sink.writeRow(b->cells.data() + static_cast<std::size_t>(r) * width, text);
                }
                {
                    std::lock_guard lock(m_mutex);
                    m_free.push_back(b);
                }
                m_cv.notify_all();
            }
            bool complete;
            {
                std::lock_guard lock(m_mutex);
                complete = m_complete;
            }
            if (complete)
                m_sink.finish();
            else
                m_sink.abandon();
        } catch (const detail::SinkError& e) {
            m_sink.abandon();
            std::lock_guard lock(m_mutex);
            m_failed = true;
            m_failure = e.reason;
        } catch (const std::bad_alloc&) {
            m_sink.abandon();
            std::lock_guard lock(m_mutex);
            m_failed = true;
            m_failure = QStringLiteral("Nincs elég memória.");
        }
        {
            std::lock_guard lock(m_mutex);
            m_writerDone = true;
        }
        m_cv.notify_all();
    }

private:
    detail::Sink& m_sink;
    Block m_storage[kBlocks];
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<Block*> m_free;
    std::deque<Block*> m_full;
    bool m_ended = false;
    bool m_complete = false;
    bool m_failed = false;
    bool m_writerDone = false;
    QString m_failure;
};

Result write(RowSource& source, const QString& fileName, Format format, const Options& options,
             const ProgressCallback& progress)
{
    Result result;
    std::vector<Column> columns;
    try {
        columns = source.columns();
    } catch (const SourceError& e) {
        result.message = QStringLiteral("Az adatok olvasása nem sikerült, a(z) \"%1\" fájl nem készült el.\n%2")
                             .arg(QDir::toNativeSeparators(fileName), e.message());
        return result;
    }

    SideFile side(fileName);
    if (side.fd < 0) {
        result.message = cannotSave(fileName, detail::reasonOf(side.error));
        return result;
    }
    std::unique_ptr<detail::Sink> sink;
    if (format == Format::Csv) {
        sink = detail::makeCsvSink(side.takeHandle());
    } else {
        side.closeHandle();  // libxlsxwriter opens it by its name when it packs the workbook
        sink = detail::makeXlsxSink(QFile::decodeName(side.path));
    }

    Pipeline pipe(*sink);
    std::thread writer([&] { pipe.run(columns, options); });

    qint64 rows = 0;
    bool cancelled = false;
    QString sourceFailure;
    QElapsedTimer sinceReport;
    sinceReport.start();
    const auto report = [&](bool finishing) { return !progress || progress(Progress{rows, finishing}); };
    const int width = static_cast<int>(columns.size());

    // Reads every row into blocks for the writer. waiting: called while no empty block is there;
    // afterBlock: after each block handed over; enough: now and then within a block, true to hand
    // over what is there. Each answers whether to go on (false: cancelled).
    const auto readAll = [&](const std::function<bool()>& waiting, const std::function<bool()>& afterBlock,
                             const std::function<bool()>& enough, std::atomic<qint64>* published) {
        bool more = true;
        while (more) {
            bool stopped = false;
            Block* b = pipe.takeFree(waiting, stopped);
            if (!b) {
                cancelled = cancelled || stopped;
                return;
            }
            pipe.fill(*b, source, width, rows, more, sourceFailure, enough);
            if (published)
                published->store(rows);
            pipe.give(b);
            if (!sourceFailure.isEmpty())
                return;
            if (!afterBlock()) {
                cancelled = true;
                return;
            }
        }
    };

    if (source.readsInAnyThread()) {
        // The rows are read in a thread of their own: a source that waits (a statement the engine
        // sorts before its first row) keeps the caller's window painted all the same.
        std::atomic<bool> stop{false};
        std::atomic<qint64> read{0};
        std::promise<void> finished;
        std::future<void> done = finished.get_future();
        const auto goOn = [&] { return !stop.load(); };
        std::thread reader([&] {
            readAll(goOn, goOn, [] { return false; }, &read);
            finished.set_value();
        });
        // The caller is still called after cancelling: its window stays painted until the reader
        // comes back from the engine.
        while (done.wait_for(kReportEvery) != std::future_status::ready)
            if (progress && !progress(Progress{read.load(), false}))
                stop.store(true);
        reader.join();
        cancelled = cancelled || stop.load();
    } else {
        // A slow source still hands over what it has, and the caller hears of it, in time.
        const auto due = [&] { return sinceReport.elapsed() >= kReportEvery.count(); };
        readAll([&] { return report(false); },
                [&] {
                    sinceReport.restart();
                    return report(false);
                },
                due, nullptr);
    }

    // Every row is read: the caller hears the count once more, and may still cancel.
    if (!cancelled && sourceFailure.isEmpty() && !pipe.failed() && !report(true))
        cancelled = true;
    const bool complete = !cancelled && sourceFailure.isEmpty() && !pipe.failed();
    pipe.end(complete);
    if (!pipe.waitForWriter([&] { return report(true); }))
        cancelled = true;
    writer.join();
    result.rows = rows;

    if (pipe.failed()) {
        side.remove();
        result.message = cannotSave(fileName, pipe.failure());
        return result;
    }
    if (!sourceFailure.isEmpty()) {
        side.remove();
        result.message = QStringLiteral("Az adatok olvasása nem sikerült, a(z) \"%1\" fájl nem készült el.\n%2")
                             .arg(QDir::toNativeSeparators(fileName), sourceFailure);
        return result;
    }
    if (cancelled) {
        side.remove();
        result.outcome = Result::Outcome::Cancelled;
        return result;
    }
    if (::rename(side.path.constData(), QFile::encodeName(fileName).constData()) != 0) {
        const int error = errno;
        side.remove();
        result.message = cannotSave(fileName, detail::reasonOf(error));
        return result;
    }
    result.outcome = Result::Outcome::Written;
    return result;
}

}  // namespace spreadsheet
