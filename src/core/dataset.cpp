#include "core/dataset.h"

#include "core/convert.h"
#include "core/database.h"

#include <algorithm>
#include <cstring>
#include <limits>

// ---------------------------------------------------------------- RowStore

void RowStore::reset(unsigned rowLength)
{
    m_chunks.clear();
    m_count = 0;
    m_head = 0;
    m_stride = (rowLength + 7u) & ~7u;  // keep every row 8-byte aligned
    if (m_stride == 0)
        m_stride = 8;
}

unsigned char* RowStore::appendRow()
{
    const int slot = m_head + m_count;
    if (slot / kRowsPerChunk >= static_cast<int>(m_chunks.size()))
        m_chunks.emplace_back(new unsigned char[static_cast<size_t>(m_stride) * kRowsPerChunk]);
    ++m_count;
    return row(m_count - 1);
}

void RowStore::dropLast()
{
    if (m_count > 0)
        --m_count;
}

unsigned char* RowStore::prependRow()
{
    if (m_head == 0) {
        m_chunks.emplace(m_chunks.begin(), new unsigned char[static_cast<size_t>(m_stride) * kRowsPerChunk]);
        m_head = kRowsPerChunk;
    }
    --m_head;
    ++m_count;
    return row(0);
}

void RowStore::dropFirst()
{
    if (m_count == 0)
        return;
    ++m_head;
    --m_count;
}

const unsigned char* RowStore::row(int i) const
{
    const int slot = m_head + i;
    return m_chunks[static_cast<size_t>(slot / kRowsPerChunk)].get() +
           static_cast<size_t>(slot % kRowsPerChunk) * m_stride;
}

unsigned char* RowStore::row(int i)
{
    const int slot = m_head + i;
    return m_chunks[static_cast<size_t>(slot / kRowsPerChunk)].get() +
           static_cast<size_t>(slot % kRowsPerChunk) * m_stride;
}

unsigned char* RowStore::insertRow(int at)
{
    appendRow();
    for (int i = m_count - 1; i > at; --i)
        std::memcpy(row(i), row(i - 1), m_stride);
    return row(at);
}

void RowStore::removeRow(int at)
{
    for (int i = at; i + 1 < m_count; ++i)
        std::memcpy(row(i), row(i + 1), m_stride);
    --m_count;
}

// ---------------------------------------------------------------- Dataset

Dataset::Dataset(Database& database, const QString& name) : m_database(&database), m_name(name)
{
    setObjectName(name);
    database.registerDataset(this);
}

Dataset::~Dataset()
{
    if (m_database)
        m_database->unregisterDataset(this);
    m_forward.cursor.reset();
    m_backward.cursor.reset();
    m_keyedStatements.clear();
    m_stmt.reset();
}

void Dataset::dropStatements()
{
    m_keyedStatements.clear();
    m_stmt.reset();
}

Database& Dataset::database() const
{
    if (!m_database)
        throw fb::Error(fb::notConnectedMessage());
    return *m_database;
}

void Dataset::Reader::clear()
{
    if (cursor) {
        try {
            cursor->close();
        } catch (const fb::Error&) {
            // the transaction may already be gone; the cursor is dropped either way
        }
        cursor.reset();
    }
    pending.clear();
}

// Changing the statement of an open dataset closes it first, so it never shows rows of another one.
void Dataset::clearSql()
{
    close();
    m_sql.clear();
}

void Dataset::addSql(const QString& line)
{
    close();
    m_sql << line;
}

void Dataset::setSql(const QStringList& lines)
{
    close();
    m_sql = lines;
}

void Dataset::setParamText(const QString& name, const QString& value, const QString& field)
{
    m_params[name.toLower()] = fb::Value::fromText(value, field);
}

void Dataset::setParamDate(const QString& name, const QDate& value)
{
    m_params[name.toLower()] = value.isValid() ? fb::Value::fromDate(value) : fb::Value{};
}

void Dataset::setParamDateText(const QString& name, const QString& value)
{
    const auto d = convert::textToDate(value);
    if (!d)
        throw fb::Error(fb::invalidDateMessage(value, {}));
    setParamDate(name, *d);
}

void Dataset::setParamInt(const QString& name, qint64 value)
{
    m_params[name.toLower()] = fb::Value::fromInt(value);
}

void Dataset::setParamNull(const QString& name) { m_params[name.toLower()] = fb::Value{}; }

QString Dataset::statementText() const { return m_sql.join(u'\n'); }

void Dataset::prepare(const QString& text)
{
    if (m_stmt && m_preparedText == text)
        return;
    m_stmt.reset();
    m_preparedText.clear();
    m_stmt = std::make_unique<fb::Statement>(database().connection().attachment(), database().transaction().raw(), text);
    m_preparedText = text;
}

void Dataset::bindAll(fb::Statement& stmt) const
{
    for (const QString& p : stmt.parameterNames()) {
        const auto it = m_params.constFind(p);
        stmt.bind(p, it == m_params.constEnd() ? fb::Value{} : *it);
    }
}

void Dataset::open()
{
    if (m_active)
        return;
    database().startIfNeeded(this, false);
    prepare(statementText());
    bindAll(*m_stmt);
    if (!m_stmt->hasCursor())
        throw fb::Error(QStringLiteral("A(z) %1 lekérdezés nem ad vissza sorokat.").arg(m_name));
    m_columns = m_stmt->columns();
    m_planLooked = false;
    m_plan.reset();
    // A whole table read by its order key is read that way from the start: the engine then walks
    // the order's index, where for the statement as written it may sort every row first (it
    // does, through a register of one or two rows, on a database whose index statistics were
    // never computed). A statement with a condition of its own is run as written.
    if (const auto plan = orderKey(); plan && plan->where.isEmpty())
        m_forward.pending.push_back(keyset::whole(*plan, keyset::Walk::Forward));
    else
        m_forward.cursor = m_stmt->openCursor();
    m_rows.reset(m_columns.messageLength());
    m_scratch.assign(m_columns.messageLength() + 8, 0);
    m_active = true;
    m_current = -1;
    try {
        fetchMore(1);
    } catch (...) {
        // A set whose first row cannot be read is not open.
        closeQuietly();
        throw;
    }
    m_bof = true;
    m_eof = m_rows.count() == 0;
    m_current = m_rows.count() > 0 ? 0 : -1;
    emit opened();
    emit currentChanged(m_current);
}

std::unique_ptr<fb::Statement> Dataset::prepareCopy() const
{
    auto stmt = std::make_unique<fb::Statement>(database().connection().attachment(), database().transaction().raw(),
                                                statementText());
    bindAll(*stmt);
    return stmt;
}

void Dataset::execSql()
{
    close();
    m_rowsAffected = 0;
    database().startIfNeeded(this, true);
    prepare(statementText());
    bindAll(*m_stmt);
    if (m_stmt->hasCursor()) {
        auto cursor = m_stmt->openCursor();
        cursor->close();
    } else {
        m_stmt->execute();
        m_rowsAffected = static_cast<qint64>(m_stmt->affectedRecords());
    }
    database().statementFinished(this);
}

void Dataset::closeQuietly()
{
    if (!m_active)
        return;
    m_forward.clear();
    m_backward.clear();
    m_planLooked = false;
    m_plan.reset();
    m_active = false;
    m_rows.reset(0);
    m_columns = fb::Columns();
    m_current = -1;
    m_bof = m_eof = true;
    emit closed();
    emit currentChanged(-1);
}

void Dataset::close()
{
    if (!m_active)
        return;
    closeQuietly();
    database().datasetClosed(this);
}

bool Dataset::readRow(Reader& reader, unsigned char* buffer)
{
    for (;;) {
        if (reader.cursor) {
            if (reader.cursor->fetchNext(buffer))
                return true;
            reader.cursor->close();
            reader.cursor.reset();
        }
        if (reader.pending.empty())
            return false;
        const keyset::Step step = std::move(reader.pending.front());
        reader.pending.pop_front();
        fb::Statement& stmt = keyedStatement(step.sql);
        bindAll(stmt);
        for (const auto& [name, value] : step.params)
            stmt.bind(name, value);
        reader.cursor = stmt.openCursor();
    }
}

int Dataset::pull(Reader& reader, int n, bool before)
{
    const int had = m_rows.count();
    const auto drop = [&] { before ? m_rows.dropFirst() : m_rows.dropLast(); };
    for (int i = 0; i < n && reader.active(); ++i) {
        unsigned char* row = before ? m_rows.prependRow() : m_rows.appendRow();
        bool got = false;
        try {
            got = readRow(reader, row);
        } catch (...) {
            drop();
            throw;
        }
        if (!got || !keepFetchedRow(row)) {
            drop();
            if (got)
                --i;
        }
    }
    return m_rows.count() - had;
}

int Dataset::fetchMore(int n)
{
    if (!m_forward.active() || n <= 0)
        return 0;
    const int before = m_rows.count();
    const int added = pull(m_forward, n, false);
    if (added > 0)
        emit rowsFetched(before, m_rows.count() - 1);
    return added;
}

int Dataset::fetchBefore(int n)
{
    if (!m_backward.active() || n <= 0)
        return 0;
    const int added = pull(m_backward, n, true);
    if (added > 0) {
        if (m_current >= 0)
            m_current += added;
        emit rowsPrepended(added);
    }
    return added;
}

bool Dataset::fetchUntil(int row)
{
    while (m_rows.count() <= row && m_forward.active())
        fetchMore(std::max(256, row + 1 - m_rows.count()));
    return row < m_rows.count();
}

void Dataset::setCurrent(int row)
{
    if (row == m_current)
        return;
    m_current = row;
    emit currentChanged(row);
}

namespace {
// Rows read around a row the list lands on: a screenful and more either side.
constexpr int kRowsAround = 100;
}  // namespace

void Dataset::first()
{
    if (!m_active)
        return;
    if (!startsAtTop() && readFromTop()) {
        pull(m_forward, kRowsAround, false);
        m_bof = true;
        m_eof = m_rows.count() == 0;
        announceRestart(m_rows.count() > 0 ? 0 : -1);
        return;
    }
    m_bof = true;
    m_eof = m_rows.count() == 0;
    setCurrent(m_rows.count() > 0 ? 0 : -1);
}

void Dataset::last()
{
    if (!m_active)
        return;
    if (!allFetched()) {
        if (readFromEnd()) {
            m_eof = true;
            m_bof = m_rows.count() == 0;
            announceRestart(m_rows.count() - 1);
            return;
        }
        while (m_forward.active())
            fetchMore(4096);
    }
    m_eof = true;
    m_bof = m_rows.count() == 0;
    setCurrent(m_rows.count() - 1);
}

void Dataset::next()
{
    if (!m_active || m_current < 0)
        return;
    if (fetchUntil(m_current + 1)) {
        m_bof = false;
        m_eof = false;
        setCurrent(m_current + 1);
    } else {
        // Stepping past the end: the row stays, and the set is no longer at its beginning.
        m_bof = false;
        m_eof = true;
    }
}

void Dataset::prior()
{
    if (!m_active || m_current < 0)
        return;
    if (m_current == 0)
        fetchBefore(kRowsAround);
    if (m_current > 0) {
        m_bof = false;
        m_eof = false;
        setCurrent(m_current - 1);
    } else {
        m_bof = true;
        m_eof = false;
    }
}

bool Dataset::moveTo(int row)
{
    if (!m_active || row < 0 || !fetchUntil(row))
        return false;
    m_bof = row == 0 && startsAtTop();
    m_eof = false;
    setCurrent(row);
    return true;
}

bool Dataset::locate(const QString& field, const QString& value, LocateOptions options)
{
    if (!m_active)
        return false;
    const int col = requireField(field);
    // A row found by the driving table's key is the only one with that key: the statements that
    // read by the order key find it wherever it stands.
    if (!options.caseInsensitive && !options.partialKey) {
        const fb::Columns::Type t = m_columns.at(col).type;
        if (t == fb::Columns::Type::Short || t == fb::Columns::Type::Long || t == fb::Columns::Type::Int64)
            if (const auto plan = orderKey(); plan && plan->keyColumn == col)
                return locateKey(*plan, col, value);
    }
    const auto matches = [&](int r) {
        const QString v = m_columns.text(m_rows.row(r), col);
        if (options.partialKey)
            return v.startsWith(value, options.caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
        return v.compare(value, options.caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
    };
    if (!startsAtTop())
        return locateFromTop(matches);
    for (int r = 0;; ++r) {
        if (r >= m_rows.count() && !fetchUntil(r))
            return false;
        if (matches(r)) {
            moveTo(r);
            return true;
        }
    }
}

int Dataset::recordCount()
{
    if (!m_active)
        return 0;
    while (m_backward.active())
        fetchBefore(4096);
    while (m_forward.active())
        fetchMore(4096);
    return m_rows.count();
}

// ---------------------------------------------------------------- reading by the order key

std::shared_ptr<const keyset::Plan> Dataset::orderKey()
{
    if (m_planLooked)
        return m_plan;
    m_planLooked = true;
    m_plan = database().orderKeyOf(*this);
    return m_plan;
}

fb::Statement& Dataset::keyedStatement(const QString& sql)
{
    auto it = m_keyedStatements.find(sql);
    if (it != m_keyedStatements.end())
        return *it->second;
    auto stmt = std::make_unique<fb::Statement>(database().connection().attachment(), database().transaction().raw(), sql);
    // Its rows go among the statement's own: the same columns in the same places.
    const fb::Columns& c = stmt->columns();
    bool same = stmt->hasCursor() && c.count() == m_columns.count() && c.messageLength() == m_columns.messageLength();
    for (int i = 0; same && i < c.count(); ++i)
        same = c.at(i).type == m_columns.at(i).type && c.at(i).offset == m_columns.at(i).offset &&
               c.at(i).nullOffset == m_columns.at(i).nullOffset;
    if (!same)
        throw fb::Error(QStringLiteral("A(z) %1 lekérdezés a sorrendje szerint olvasva más oszlopokat ad.").arg(m_name));
    return *m_keyedStatements.emplace(sql, std::move(stmt)).first->second;
}

void Dataset::restart()
{
    m_forward.clear();
    m_backward.clear();
    // Statements of earlier orders and conditions pile up as a screen changes its statement; none
    // is in use once both readers are idle.
    if (m_keyedStatements.size() > 24)
        m_keyedStatements.clear();
    m_rows.reset(m_columns.messageLength());
}

void Dataset::announceRestart(int current)
{
    m_current = current;
    emit rowsReset();
    emit currentChanged(m_current);
}

bool Dataset::readFromEnd()
{
    const auto plan = orderKey();
    if (!plan)
        return false;
    restart();
    m_backward.pending.push_back(keyset::whole(*plan, keyset::Walk::Backward));
    pull(m_backward, kRowsAround, true);
    return true;
}

bool Dataset::readFromTop()
{
    const auto plan = orderKey();
    if (!plan)
        return false;
    restart();
    m_forward.pending.push_back(keyset::whole(*plan, keyset::Walk::Forward));
    return true;
}

bool Dataset::locateKey(const keyset::Plan& plan, int column, const QString& value)
{
    for (int r = 0; r < m_rows.count(); ++r) {
        if (m_columns.text(m_rows.row(r), column) == value) {
            moveTo(r);
            return true;
        }
    }
    if (startsAtTop() && allFetched())
        return false;
    // Every key reads as plain decimal digits: any other text, or a number the column cannot
    // hold, is no row's key.
    bool ok = false;
    const qint64 key = value.toLongLong(&ok);
    const fb::Columns::Type type = m_columns.at(column).type;
    const qint64 limit = type == fb::Columns::Type::Short   ? std::numeric_limits<qint16>::max()
                         : type == fb::Columns::Type::Long ? std::numeric_limits<qint32>::max()
                                                           : std::numeric_limits<qint64>::max();
    if (!ok || QString::number(key) != value || key > limit || key < -limit - 1)
        return false;

    const keyset::Step probe = keyset::probe(plan, fb::Value::fromInt(key));
    std::vector<unsigned char> found(m_columns.messageLength() + 8);
    {
        fb::Statement& stmt = keyedStatement(probe.sql);
        bindAll(stmt);
        for (const auto& [name, v] : probe.params)
            stmt.bind(name, v);
        auto cursor = stmt.openCursor();
        const bool got = cursor->fetchNext(found.data());
        cursor->close();
        if (!got)
            return false;
    }
    // The rows around it: the ones before, nearest first, and the ones after.
    const std::vector<fb::Value> order = keyset::keyOf(plan, m_columns, found.data());
    restart();
    std::memcpy(m_rows.appendRow(), found.data(), m_columns.messageLength());
    for (keyset::Step& step : keyset::beyond(plan, m_columns, order, keyset::Walk::Backward))
        m_backward.pending.push_back(std::move(step));
    for (keyset::Step& step : keyset::beyond(plan, m_columns, order, keyset::Walk::Forward))
        m_forward.pending.push_back(std::move(step));
    const int before = pull(m_backward, kRowsAround, true);
    pull(m_forward, kRowsAround, false);
    m_bof = before == 0 && startsAtTop();
    m_eof = false;
    announceRestart(before);
    return true;
}

bool Dataset::locateFromTop(const std::function<bool(int)>& matches)
{
    // The fetched rows do not start at the top: read from the top, and where no row matches, stay
    // on the row that was current (found again by its key once every row is read).
    const QString currentKey =
        m_current >= 0 && m_plan ? m_columns.text(m_rows.row(m_current), m_plan->keyColumn) : QString();
    if (!readFromTop())
        return false;
    int at = -1;
    for (int r = 0; at < 0; ++r) {
        if (r >= m_rows.count() && pull(m_forward, 4096, false) == 0)
            break;
        if (matches(r))
            at = r;
    }
    const bool found = at >= 0;
    if (!found && !currentKey.isEmpty()) {
        for (int r = 0; r < m_rows.count() && at < 0; ++r)
            if (m_columns.text(m_rows.row(r), m_plan->keyColumn) == currentKey)
                at = r;
    }
    if (at < 0)
        at = m_rows.count() > 0 ? 0 : -1;
    m_bof = at == 0;
    m_eof = false;
    announceRestart(at);
    return found;
}

QStringList Dataset::fieldNames() const
{
    QStringList out;
    for (int i = 0; i < m_columns.count(); ++i)
        out << m_columns.at(i).name;
    return out;
}

int Dataset::requireField(const QString& name) const
{
    const int i = m_columns.indexOf(name);
    if (i < 0)
        throw fb::Error(QStringLiteral("A(z) %1 lekérdezésben nincs „%2” mező.").arg(m_name, name));
    return i;
}

QString Dataset::fieldText(const QString& name) const
{
    if (!m_active || m_current < 0)
        return {};
    return m_columns.text(m_rows.row(m_current), requireField(name));
}

qint64 Dataset::fieldInt(const QString& name) const
{
    if (!m_active || m_current < 0)
        return 0;
    return m_columns.integer(m_rows.row(m_current), requireField(name));
}

QDate Dataset::fieldDate(const QString& name) const
{
    if (!m_active || m_current < 0)
        return {};
    return m_columns.date(m_rows.row(m_current), requireField(name));
}

bool Dataset::fieldIsNull(const QString& name) const
{
    if (!m_active || m_current < 0)
        return true;
    return m_columns.isNull(m_rows.row(m_current), requireField(name));
}

QString Dataset::cellText(int row, int column) const
{
    if (!m_active || row < 0 || row >= m_rows.count() || column < 0 || column >= m_columns.count())
        return {};
    return m_columns.text(m_rows.row(row), column);
}

void Dataset::insertBlankRow(int at)
{
    unsigned char* row = m_rows.insertRow(at);
    std::memset(row, 0, m_rows.stride());
    const short missing = -1;
    for (int c = 0; c < m_columns.count(); ++c)
        std::memcpy(row + m_columns.at(c).nullOffset, &missing, sizeof missing);
    if (m_current >= at)
        ++m_current;
    emit rowInserted(at);
}

void Dataset::removeFetchedRow(int row)
{
    m_rows.removeRow(row);
    if (m_current > row || m_current >= m_rows.count())
        --m_current;
    if (m_rows.count() == 0)
        m_bof = m_eof = true;
    emit rowRemoved(row);
    // The same position may now hold another row: whoever shows the current row reads it again.
    emit currentChanged(m_current);
}

void Dataset::replaceFetchedRow(int row, const unsigned char* message)
{
    std::memcpy(m_rows.row(row), message, m_columns.messageLength());
    emit rowChanged(row);
    if (row == m_current)
        emit currentChanged(m_current);
}

// ---------------------------------------------------------------- TableDataset

namespace {
QString valueText(const fb::Value& v)
{
    switch (v.kind) {
    case fb::Value::Kind::Text: return v.text;
    case fb::Value::Kind::Date: return convert::dateToText(v.date);
    case fb::Value::Kind::Int: return QString::number(v.integer);
    case fb::Value::Kind::Null: break;
    }
    return {};
}

bool isDateType(fb::Columns::Type t) { return t == fb::Columns::Type::Date || t == fb::Columns::Type::Timestamp; }
bool isIntegerType(fb::Columns::Type t)
{
    return t == fb::Columns::Type::Long || t == fb::Columns::Type::Short || t == fb::Columns::Type::Int64;
}
}  // namespace

TableDataset::TableDataset(Database& database, const QString& name, const QString& table, bool readOnly)
    : Dataset(database, name), m_table(table), m_readOnly(readOnly)
{
    // An unsaved row lives in the fetched rows: it goes when the set closes.
    connect(this, &Dataset::closed, this, [this] {
        m_insertedKeys.clear();
        m_newValues.clear();
        setState(State::Browse, -1);
    });
}

QString TableDataset::statementText() const
{
    // No ORDER BY: the engine streams the table in storage order, so opening costs the same for
    // ten rows or a million.
    return QStringLiteral("SELECT * FROM %1").arg(m_table);
}

void TableDataset::setReadOnly(bool readOnly)
{
    if (readOnly == m_readOnly)
        return;
    m_readOnly = readOnly;
    if (!readOnly && active()) {
        try {
            loadTableColumns();
        } catch (const fb::Error&) {
            // without its key the table simply offers no editing
        }
    }
    emit stateChanged();
}

void TableDataset::open()
{
    if (active())
        return;
    m_insertedKeys.clear();
    Dataset::open();
    if (!m_readOnly) {
        try {
            loadTableColumns();
        } catch (const fb::Error&) {
            // without its key the table simply offers no editing
        }
    }
}

void TableDataset::loadTableColumns()
{
    if (!m_tableColumns.empty())
        return;
    database().startIfNeeded(this, true);
    std::vector<TableColumn> columns;
    {
        fb::Statement stmt(database().connection().attachment(), database().transaction().raw(),
                           QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(m_table));
        const fb::Columns& cols = stmt.columns();
        for (int i = 0; i < cols.count(); ++i)
            columns.push_back({cols.at(i).name, isDateType(cols.at(i).type), isIntegerType(cols.at(i).type)});
    }
    // Rows are found again by the primary key: to rewrite, delete and re-read one.
    std::vector<int> key;
    {
        fb::Statement stmt(database().connection().attachment(), database().transaction().raw(),
                           QStringLiteral("SELECT TRIM(s.RDB$FIELD_NAME) FROM RDB$RELATION_CONSTRAINTS c "
                                          "JOIN RDB$INDEX_SEGMENTS s ON s.RDB$INDEX_NAME = c.RDB$INDEX_NAME "
                                          "WHERE c.RDB$RELATION_NAME = :t AND c.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' "
                                          "ORDER BY s.RDB$FIELD_POSITION"));
        stmt.bind(QStringLiteral("t"), fb::Value::fromText(m_table.toUpper()));
        auto cursor = stmt.openCursor();
        std::vector<unsigned char> row(cursor->columns().messageLength() + 8);
        while (cursor->fetchNext(row.data())) {
            const QString name = cursor->columns().text(row.data(), 0);
            for (size_t i = 0; i < columns.size(); ++i)
                if (columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
                    key.push_back(static_cast<int>(i));
        }
    }
    m_tableColumns = std::move(columns);
    m_keyColumns = std::move(key);
}

bool TableDataset::isModified() const
{
    return std::any_of(m_newValues.begin(), m_newValues.end(), [](const auto& v) { return v.has_value(); });
}

bool TableDataset::canModify() const { return !m_readOnly && active() && !m_keyColumns.empty(); }

void TableDataset::requireWritable() const
{
    if (m_readOnly)
        throw fb::Error(QStringLiteral("Az adatok csak olvashatók, nem módosíthatók."));
}

void TableDataset::setState(State state, int editRow)
{
    if (state == m_state && editRow == m_editRow)
        return;
    m_state = state;
    m_editRow = editRow;
    emit stateChanged();
}

void TableDataset::edit()
{
    requireWritable();
    if (!active())
        throw fb::Error(QStringLiteral("A tábla nincs megnyitva, a művelet nem végezhető el."));
    if (hasUnsavedRow()) {
        if (m_editRow == recNo())
            return;
        throw fb::Error(QStringLiteral("A(z) %1 táblában egy másik sor még nincs mentve.").arg(name()));
    }
    if (recNo() < 0) {
        insert();
        return;
    }
    loadTableColumns();
    if (m_keyColumns.empty())
        throw fb::Error(QStringLiteral("A(z) %1 táblának nincs elsődleges kulcsa, ezért a sorai nem módosíthatók.").arg(m_table));
    m_newValues.assign(m_tableColumns.size(), std::nullopt);
    setState(State::Edit, recNo());
    emit rowChanged(m_editRow);
}

void TableDataset::insert()
{
    requireWritable();
    if (!active())
        throw fb::Error(QStringLiteral("A tábla nincs megnyitva, a művelet nem végezhető el."));
    if (hasUnsavedRow())
        throw fb::Error(QStringLiteral("A(z) %1 táblában egy másik sor még nincs mentve.").arg(name()));
    loadTableColumns();
    if (m_keyColumns.empty())
        throw fb::Error(QStringLiteral("A(z) %1 táblának nincs elsődleges kulcsa, ezért a sorai nem módosíthatók.").arg(m_table));
    const int at = std::max(recNo(), 0);
    insertBlankRow(at);
    m_newValues.assign(m_tableColumns.size(), std::nullopt);
    m_state = State::Insert;
    m_editRow = at;
    setCurrent(at);
    emit stateChanged();
}

void TableDataset::setEditText(int column, const QString& text)
{
    if (!hasUnsavedRow())
        edit();
    if (column < 0 || column >= static_cast<int>(m_tableColumns.size()))
        throw fb::Error(QStringLiteral("A(z) %1 táblának nincs %2. oszlopa.").arg(m_table).arg(column + 1));
    const TableColumn& c = m_tableColumns[static_cast<size_t>(column)];
    fb::Value value;
    if (text.isEmpty() && (c.isDate || c.isInteger)) {
        value = fb::Value{};
    } else if (c.isDate) {
        // The program's own date form is converted here; any other text goes to the database as
        // typed, which accepts it as a date or says why not.
        const auto d = convert::textToDate(text);
        value = d ? fb::Value::fromDate(*d) : fb::Value::fromText(text, c.name);
    } else if (c.isInteger) {
        const auto v = convert::textToInt64(text);
        value = v ? fb::Value::fromInt(*v) : fb::Value::fromText(text, c.name);
    } else {
        value = fb::Value::fromText(text, c.name);
    }
    m_newValues[static_cast<size_t>(column)] = value;
    if (m_editRow >= 0)
        emit rowChanged(m_editRow);
}

QString TableDataset::shownText(int row, int column) const
{
    if (row >= 0 && row == m_editRow && column >= 0 && column < static_cast<int>(m_newValues.size()) &&
        m_newValues[static_cast<size_t>(column)])
        return valueText(*m_newValues[static_cast<size_t>(column)]);
    return cellText(row, column);
}

fb::Value TableDataset::messageValue(const fb::Columns& columns, const unsigned char* row, int column)
{
    return keyset::valueOf(columns, row, column);
}

QString TableDataset::keyText(const fb::Columns& columns, const unsigned char* row,
                              const std::vector<int>& keyColumns) const
{
    QStringList parts;
    for (int k : keyColumns)
        parts << columns.text(row, k);
    return parts.join(QChar(0x1f));
}

QString TableDataset::keyCondition(int firstParameter) const
{
    QStringList parts;
    for (size_t i = 0; i < m_keyColumns.size(); ++i)
        parts << QStringLiteral("%1 = :k%2")
                     .arg(m_tableColumns[static_cast<size_t>(m_keyColumns[i])].name)
                     .arg(firstParameter + static_cast<int>(i));
    return parts.join(QStringLiteral(" AND "));
}

bool TableDataset::keepFetchedRow(const unsigned char* row) const
{
    // A row inserted here while the cursor was still reading may come again from the cursor.
    return m_insertedKeys.isEmpty() || !m_insertedKeys.contains(keyText(columns(), row, m_keyColumns));
}

void TableDataset::reloadRow(int row, const std::vector<fb::Value>& key)
{
    fb::Statement stmt(database().connection().attachment(), database().transaction().raw(),
                       QStringLiteral("SELECT * FROM %1 WHERE %2").arg(m_table, keyCondition(0)));
    for (size_t i = 0; i < key.size(); ++i)
        stmt.bind(QStringLiteral("k%1").arg(i), key[i]);
    auto cursor = stmt.openCursor();
    const fb::Columns& cols = cursor->columns();
    if (cols.count() != columns().count() || cols.messageLength() != columns().messageLength())
        throw fb::Error(QStringLiteral("A(z) %1 tábla oszlopai megváltoztak, amíg nyitva volt.").arg(m_table));
    std::vector<unsigned char> message(cols.messageLength() + 8);
    if (cursor->fetchNext(message.data()))
        replaceFetchedRow(row, message.data());
    else
        removeFetchedRow(row);
    cursor->close();
}

void TableDataset::commitChange()
{
    if (m_commitEachChange && database().transaction().inTransaction())
        database().transaction().commitRetaining();
}

void TableDataset::post()
{
    if (m_state == State::Browse)
        return;
    loadTableColumns();
    const int row = m_editRow;
    if (row < 0) {
        // A blind append: the row is written and not shown.
        QStringList names, marks;
        for (size_t i = 0; i < m_tableColumns.size(); ++i) {
            if (!m_newValues[i])
                continue;
            names << m_tableColumns[i].name;
            marks << QStringLiteral(":v%1").arg(i);
        }
        const QString sql = names.isEmpty()
                                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_table)
                                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                      .arg(m_table, names.join(u','), marks.join(u','));
        database().startIfNeeded(this, true);
        {
            fb::Statement stmt(database().connection().attachment(), database().transaction().raw(), sql);
            for (size_t i = 0; i < m_tableColumns.size(); ++i)
                if (m_newValues[i])
                    stmt.bind(QStringLiteral("v%1").arg(i), *m_newValues[i]);
            stmt.execute();
        }
        m_newValues.clear();
        setState(State::Browse, -1);
        database().statementFinished(this);
        commitChange();
        return;
    }

    const bool inserting = m_state == State::Insert;
    QStringList names, marks, assignments;
    for (size_t i = 0; i < m_tableColumns.size(); ++i) {
        if (!m_newValues[i])
            continue;
        names << m_tableColumns[i].name;
        marks << QStringLiteral(":v%1").arg(i);
        assignments << QStringLiteral("%1 = :v%2").arg(m_tableColumns[i].name).arg(i);
    }
    if (!inserting && assignments.isEmpty()) {
        // Nothing was typed: nothing to write.
        m_newValues.clear();
        setState(State::Browse, -1);
        emit rowChanged(row);
        return;
    }
    QStringList keyNames;
    for (int k : m_keyColumns)
        keyNames << m_tableColumns[static_cast<size_t>(k)].name;
    QString sql;
    if (inserting && names.isEmpty())
        sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_table);
    else if (inserting)
        sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(m_table, names.join(u','), marks.join(u','));
    else
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(m_table, assignments.join(u','), keyCondition(0));
    sql += QStringLiteral(" RETURNING ") + keyNames.join(u',');

    database().startIfNeeded(this, true);
    std::vector<fb::Value> key;
    {
        fb::Statement stmt(database().connection().attachment(), database().transaction().raw(), sql);
        for (size_t i = 0; i < m_tableColumns.size(); ++i)
            if (m_newValues[i])
                stmt.bind(QStringLiteral("v%1").arg(i), *m_newValues[i]);
        if (!inserting)
            for (size_t i = 0; i < m_keyColumns.size(); ++i)
                stmt.bind(QStringLiteral("k%1").arg(i), messageValue(columns(), rawRow(row), m_keyColumns[i]));
        // A refusal (a duplicate key, a value too long, a text that is no date, a row another
        // connection holds) throws here: the engine has undone this statement alone, and the row
        // stays unsaved with what was typed.
        const std::vector<unsigned char> returned = stmt.executeReturning();
        std::vector<int> returnedKey;
        for (int i = 0; i < stmt.columns().count(); ++i) {
            if (stmt.columns().isNull(returned.data(), i))
                throw fb::Error(QStringLiteral("A sor már nincs meg a(z) %1 táblában.").arg(m_table));
            key.push_back(messageValue(stmt.columns(), returned.data(), i));
            returnedKey.push_back(i);
        }
        if (inserting)
            m_insertedKeys.insert(keyText(stmt.columns(), returned.data(), returnedKey));
    }
    m_newValues.clear();
    setState(State::Browse, -1);
    reloadRow(row, key);
    database().statementFinished(this);
    commitChange();
}

void TableDataset::cancel()
{
    if (m_state == State::Browse)
        return;
    const int row = m_editRow;
    const bool wasNew = m_state == State::Insert;
    m_newValues.clear();
    setState(State::Browse, -1);
    if (row < 0)
        return;
    if (wasNew)
        removeFetchedRow(row);
    else
        emit rowChanged(row);
}

void TableDataset::deleteCurrent()
{
    requireWritable();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    const int row = m_state == State::Edit ? m_editRow : recNo();
    if (!active() || row < 0)
        return;
    loadTableColumns();
    if (m_keyColumns.empty())
        throw fb::Error(QStringLiteral("A(z) %1 táblának nincs elsődleges kulcsa, ezért a sorai nem módosíthatók.").arg(m_table));
    database().startIfNeeded(this, true);
    {
        fb::Statement stmt(database().connection().attachment(), database().transaction().raw(),
                           QStringLiteral("DELETE FROM %1 WHERE %2").arg(m_table, keyCondition(0)));
        for (size_t i = 0; i < m_keyColumns.size(); ++i)
            stmt.bind(QStringLiteral("k%1").arg(i), messageValue(columns(), rawRow(row), m_keyColumns[i]));
        stmt.execute();
    }
    m_newValues.clear();
    setState(State::Browse, -1);
    removeFetchedRow(row);
    database().statementFinished(this);
    commitChange();
}

void TableDataset::refresh()
{
    if (hasUnsavedRow())
        return;
    if (!active()) {
        open();
        return;
    }
    loadTableColumns();
    QString keyField, keyValue;
    if (recNo() >= 0 && !m_keyColumns.empty()) {
        keyField = m_tableColumns[static_cast<size_t>(m_keyColumns.front())].name;
        keyValue = cellText(recNo(), m_keyColumns.front());
    }
    close();
    open();
    if (!keyField.isEmpty())
        locate(keyField, keyValue);
}

void TableDataset::append()
{
    requireWritable();
    if (m_editRow >= 0)
        throw fb::Error(QStringLiteral("A(z) %1 táblában egy másik sor még nincs mentve.").arg(name()));
    loadTableColumns();
    m_newValues.assign(m_tableColumns.size(), std::nullopt);
    setState(State::Insert, -1);
}

void TableDataset::setFieldText(int index, const QString& value)
{
    if (!hasUnsavedRow())
        throw fb::Error(QStringLiteral("Nincs szerkesztés alatt álló sor."));
    if (index < 0 || index >= static_cast<int>(m_tableColumns.size()))
        throw fb::Error(QStringLiteral("A(z) %1 táblának nincs %2. oszlopa (%3 oszlopa van).").arg(m_table).arg(index + 1).arg(m_tableColumns.size()));
    const TableColumn& c = m_tableColumns[static_cast<size_t>(index)];
    if (c.isDate) {
        const auto d = convert::textToDate(value);
        if (!d)
            throw fb::Error(fb::invalidDateMessage(value, c.name));
        m_newValues[static_cast<size_t>(index)] = fb::Value::fromDate(*d);
    } else if (c.isInteger) {
        const auto v = convert::textToInt64(value);
        if (!v)
            throw fb::Error(fb::invalidIntegerMessage(value, c.name));
        m_newValues[static_cast<size_t>(index)] = fb::Value::fromInt(*v);
    } else {
        m_newValues[static_cast<size_t>(index)] = fb::Value::fromText(value, c.name);
    }
}
