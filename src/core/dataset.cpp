#include "core/dataset.h"

#include "core/convert.h"
#include "core/datamodule.h"

#include <cstring>

// ---------------------------------------------------------------- RowStore

void RowStore::reset(unsigned rowLength)
{
    m_chunks.clear();
    m_count = 0;
    m_stride = (rowLength + 7u) & ~7u;  // keep every row 8-byte aligned
    if (m_stride == 0)
        m_stride = 8;
}

unsigned char* RowStore::appendRow()
{
    const int chunk = m_count / kRowsPerChunk;
    if (chunk >= static_cast<int>(m_chunks.size()))
        m_chunks.emplace_back(new unsigned char[static_cast<size_t>(m_stride) * kRowsPerChunk]);
    unsigned char* p = m_chunks[static_cast<size_t>(chunk)].get() +
                       static_cast<size_t>(m_count % kRowsPerChunk) * m_stride;
    ++m_count;
    return p;
}

void RowStore::dropLast()
{
    if (m_count > 0)
        --m_count;
}

const unsigned char* RowStore::row(int i) const
{
    return m_chunks[static_cast<size_t>(i / kRowsPerChunk)].get() + static_cast<size_t>(i % kRowsPerChunk) * m_stride;
}

// ---------------------------------------------------------------- Dataset

Dataset::Dataset(TData& module, const QString& name) : m_module(module), m_name(name)
{
    setObjectName(name);
    module.m_datasets.push_back(this);
}

Dataset::~Dataset()
{
    m_cursor.reset();
    m_stmt.reset();
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

void Dataset::setParamText(const QString& name, const QString& value)
{
    m_params[name.toLower()] = fb::Value::fromText(value);
}

void Dataset::setParamDate(const QString& name, const QDate& value)
{
    m_params[name.toLower()] = value.isValid() ? fb::Value::fromDate(value) : fb::Value{};
}

void Dataset::setParamDateText(const QString& name, const QString& value)
{
    const auto d = convert::textToDate(value);
    if (!d)
        throw fb::Error(QStringLiteral("'%1' is not a valid date").arg(value));
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
    m_stmt = std::make_unique<fb::Statement>(m_module.ZCon1.attachment(), m_module.IBTrans1.raw(), text);
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
    m_module.startIfNeeded(this, false);
    prepare(statementText());
    bindAll(*m_stmt);
    if (!m_stmt->hasCursor())
        throw fb::Error(QStringLiteral("%1: the statement returns no rows").arg(m_name));
    m_cursor = m_stmt->openCursor();
    m_columns = m_cursor->columns();
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

void Dataset::execSql()
{
    close();
    m_rowsAffected = 0;
    m_module.startIfNeeded(this, true);
    prepare(statementText());
    bindAll(*m_stmt);
    if (m_stmt->hasCursor()) {
        auto cursor = m_stmt->openCursor();
        cursor->close();
    } else {
        m_stmt->execute();
        m_rowsAffected = static_cast<qint64>(m_stmt->affectedRecords());
    }
    m_module.statementFinished(this);
}

void Dataset::closeQuietly()
{
    if (!m_active)
        return;
    if (m_cursor) {
        try {
            m_cursor->close();
        } catch (const fb::Error&) {
            // the transaction may already be gone; the cursor is dropped either way
        }
        m_cursor.reset();
    }
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
    m_module.datasetClosed(this);
}

int Dataset::fetchMore(int n)
{
    if (!m_cursor || n <= 0)
        return 0;
    const int before = m_rows.count();
    const unsigned len = m_columns.messageLength();
    for (int i = 0; i < n; ++i) {
        unsigned char* row = m_rows.appendRow();
        bool got = false;
        try {
            got = m_cursor->fetchNext(row);
        } catch (...) {
            m_rows.dropLast();
            throw;
        }
        if (!got) {
            m_rows.dropLast();
            m_cursor->close();
            m_cursor.reset();
            break;
        }
        (void)len;
    }
    const int added = m_rows.count() - before;
    if (added > 0)
        emit rowsFetched(before, m_rows.count() - 1);
    return added;
}

bool Dataset::fetchUntil(int row)
{
    while (m_rows.count() <= row && m_cursor)
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

void Dataset::first()
{
    if (!m_active)
        return;
    m_bof = true;
    m_eof = m_rows.count() == 0;
    setCurrent(m_rows.count() > 0 ? 0 : -1);
}

void Dataset::last()
{
    if (!m_active)
        return;
    while (m_cursor)
        fetchMore(4096);
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
    m_bof = row == 0;
    m_eof = false;
    setCurrent(row);
    return true;
}

bool Dataset::locate(const QString& field, const QString& value, LocateOptions options)
{
    if (!m_active)
        return false;
    const int col = requireField(field);
    const auto matches = [&](int r) {
        const QString v = m_columns.text(m_rows.row(r), col);
        if (options.partialKey)
            return v.startsWith(value, options.caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
        return v.compare(value, options.caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
    };
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
    while (m_cursor)
        fetchMore(4096);
    return m_rows.count();
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
        throw fb::Error(QStringLiteral("%1: Field '%2' not found").arg(m_name, name));
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

// ---------------------------------------------------------------- TableDataset

TableDataset::TableDataset(TData& module, const QString& name, const QString& table, bool readOnly)
    : Dataset(module, name), m_table(table), m_readOnly(readOnly)
{
}

QString TableDataset::statementText() const
{
    // No ORDER BY: the engine streams the table in storage order, so opening costs the same for
    // ten rows or a million.
    return QStringLiteral("SELECT * FROM %1").arg(m_table);
}

void TableDataset::loadTableColumns()
{
    if (!m_tableColumns.empty())
        return;
    module().startIfNeeded(this, true);
    fb::Statement stmt(module().ZCon1.attachment(), module().IBTrans1.raw(),
                       QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(m_table));
    const fb::Columns& cols = stmt.columns();
    for (int i = 0; i < cols.count(); ++i) {
        TableColumn c;
        c.name = cols.at(i).name;
        c.isDate = cols.at(i).type == fb::Columns::Type::Date || cols.at(i).type == fb::Columns::Type::Timestamp;
        c.isInteger = cols.at(i).type == fb::Columns::Type::Long || cols.at(i).type == fb::Columns::Type::Short ||
                      cols.at(i).type == fb::Columns::Type::Int64;
        m_tableColumns.push_back(c);
    }
}

void TableDataset::append()
{
    if (m_readOnly)
        throw fb::Error(QStringLiteral("Cannot modify a read-only dataset."));
    loadTableColumns();
    m_newValues.assign(m_tableColumns.size(), std::nullopt);
    m_inserting = true;
}

void TableDataset::setFieldText(int index, const QString& value)
{
    if (!m_inserting)
        throw fb::Error(QStringLiteral("Dataset not in edit or insert mode"));
    if (index < 0 || index >= static_cast<int>(m_tableColumns.size()))
        throw fb::Error(QStringLiteral("List index out of bounds (%1)").arg(index));
    const TableColumn& c = m_tableColumns[static_cast<size_t>(index)];
    if (c.isDate) {
        const auto d = convert::textToDate(value);
        if (!d)
            throw fb::Error(QStringLiteral("'%1' is not a valid date").arg(value));
        m_newValues[static_cast<size_t>(index)] = fb::Value::fromDate(*d);
    } else if (c.isInteger) {
        const auto v = convert::textToInt64(value);
        if (!v)
            throw fb::Error(QStringLiteral("'%1' is not a valid integer value").arg(value));
        m_newValues[static_cast<size_t>(index)] = fb::Value::fromInt(*v);
    } else {
        m_newValues[static_cast<size_t>(index)] = fb::Value::fromText(value);
    }
}

void TableDataset::post()
{
    if (!m_inserting)
        return;
    QStringList names, marks;
    std::vector<fb::Value> values;
    for (size_t i = 0; i < m_tableColumns.size(); ++i) {
        if (!m_newValues[i])
            continue;
        names << m_tableColumns[i].name;
        marks << QStringLiteral(":v%1").arg(i);
        values.push_back(*m_newValues[i]);
    }
    QString sql;
    if (names.isEmpty())
        sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_table);
    else
        sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(m_table, names.join(u','), marks.join(u','));
    module().startIfNeeded(this, true);
    fb::Statement stmt(module().ZCon1.attachment(), module().IBTrans1.raw(), sql);
    size_t k = 0;
    for (size_t i = 0; i < m_tableColumns.size(); ++i)
        if (m_newValues[i])
            stmt.bind(QStringLiteral("v%1").arg(i), values[k++]);
    stmt.execute();
    m_inserting = false;
    m_newValues.clear();
    module().statementFinished(this);
}

void TableDataset::cancel()
{
    m_inserting = false;
    m_newValues.clear();
}
