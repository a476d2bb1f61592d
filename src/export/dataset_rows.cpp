#include "export/dataset_rows.h"

#include "core/dataset.h"
#include "db/charset.h"
#include "db/client.h"

#include <QCoreApplication>

#include <array>
#include <cmath>
#include <cstring>

namespace spreadsheet {

namespace {

template <typename T>
T load(const unsigned char* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// The engine's dates count days from 1858-11-17, the Julian day 2400001.
constexpr qint64 kEngineEpoch = 2400001;

// WIN1250 to UTF-8 a byte at a time: each byte's UTF-8 form, learnt once from the client layer's
// own conversion (a million rows of names are converted without a QString each).
struct Win1250ToUtf8 {
    std::array<std::array<char, 4>, 256> bytes{};
    std::array<unsigned char, 256> length{};
    Win1250ToUtf8()
    {
        for (int b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            const QByteArray utf8 = fb::fromWin1250(&c, 1).toUtf8();
            const auto n = static_cast<std::size_t>(std::min<qsizetype>(utf8.size(), 4));
            std::memcpy(bytes[static_cast<std::size_t>(b)].data(), utf8.constData(), n);
            length[static_cast<std::size_t>(b)] = static_cast<unsigned char>(n);
        }
    }
    // Converts n bytes at p into out (resized to fit).
    void convert(const unsigned char* p, std::size_t n, std::string& out) const
    {
        out.resize(n * 3);
        char* o = out.data();
        for (std::size_t i = 0; i < n; ++i) {
            const unsigned char b = p[i];
            if (b < 0x80) {
                *o++ = static_cast<char>(b);
            } else {
                const unsigned char len = length[b];
                std::memcpy(o, bytes[b].data(), len);
                o += len;
            }
        }
        out.resize(static_cast<std::size_t>(o - out.data()));
    }
};

const Win1250ToUtf8& win1250()
{
    static const Win1250ToUtf8 table;
    return table;
}

Kind kindOf(fb::Columns::Type type)
{
    switch (type) {
    case fb::Columns::Type::Date:
    case fb::Columns::Type::Timestamp: return Kind::Date;
    case fb::Columns::Type::Short:
    case fb::Columns::Type::Long:
    case fb::Columns::Type::Int64:
    case fb::Columns::Type::Float:
    case fb::Columns::Type::Double: return Kind::Number;
    default: return Kind::Text;
    }
}

}  // namespace

DatasetRows::DatasetRows(Dataset& dataset, std::vector<DatasetField> fields)
    : m_dataset(dataset), m_requested(std::move(fields))
{
}

DatasetRows::~DatasetRows()
{
    if (m_cursor) {
        try {
            m_cursor->close();
        } catch (const fb::Error&) {
            // the transaction may have ended under it; the cursor goes either way
        }
    }
    m_cursor.reset();
    m_statement.reset();
}

void DatasetRows::start()
{
    if (m_statement)
        return;
    if (!m_dataset.active())
        throw SourceError(QStringLiteral("A lista nincs megnyitva."));
    try {
        m_statement = m_dataset.prepareCopy();
        if (!m_statement->hasCursor())
            throw SourceError(QStringLiteral("A lista lekérdezése nem ad sorokat."));
        const fb::Columns& cols = m_statement->columns();
        if (m_requested.empty())
            for (int i = 0; i < cols.count(); ++i)
                m_requested.push_back({cols.at(i).name, cols.at(i).name});
        m_fields.clear();
        for (const DatasetField& f : m_requested) {
            Field field;
            field.index = cols.indexOf(f.field);
            if (field.index >= 0)
                field.kind = kindOf(cols.at(field.index).type);
            m_fields.push_back(field);
        }
        m_buffer.assign(cols.messageLength() + 8, 0);
    } catch (const fb::Error& e) {
        throw SourceError(e.message());
    }
}

std::vector<Column> DatasetRows::columns()
{
    start();
    std::vector<Column> out;
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        out.push_back({m_requested[i].title, m_fields[i].kind});
    return out;
}

bool DatasetRows::next(Row& row)
{
    start();
    unsigned char* buffer = m_buffer.data();
    try {
        if (!m_cursor && !m_finished)
            m_cursor = m_statement->openCursor();
        if (!m_cursor)
            return false;
        if (!m_cursor->fetchNext(buffer)) {
            m_finished = true;
            m_cursor->close();
            m_cursor.reset();
            return false;
        }
    } catch (const fb::Error& e) {
        throw SourceError(e.message());
    }
    const fb::Columns& cols = m_statement->columns();
    const Win1250ToUtf8& text = win1250();
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const int f = m_fields[i].index;
        if (f < 0 || cols.isNull(buffer, f))
            continue;
        const int column = static_cast<int>(i);
        const fb::Columns::Column& c = cols.at(f);
        const unsigned char* p = buffer + c.offset;
        switch (c.type) {
        case fb::Columns::Type::Varying:
            text.convert(p + 2, load<unsigned short>(p), m_utf8);
            row.setUtf8(column, m_utf8.data(), m_utf8.size());
            break;
        case fb::Columns::Type::Text: {
            // CHAR values come blank-padded; the padding is not part of the value.
            std::size_t n = c.length;
            while (n > 0 && p[n - 1] == ' ')
                --n;
            text.convert(p, n, m_utf8);
            row.setUtf8(column, m_utf8.data(), m_utf8.size());
            break;
        }
        case fb::Columns::Type::Short:
        case fb::Columns::Type::Long:
        case fb::Columns::Type::Int64: {
            const qint64 v = c.type == fb::Columns::Type::Short  ? load<short>(p)
                             : c.type == fb::Columns::Type::Long ? load<int>(p)
                                                                 : load<qint64>(p);
            if (c.scale == 0)
                row.setInteger(column, v);
            else
                row.setNumber(column, static_cast<double>(v) / std::pow(10.0, -c.scale));
            break;
        }
        case fb::Columns::Type::Float: row.setNumber(column, load<float>(p)); break;
        case fb::Columns::Type::Double: row.setNumber(column, load<double>(p)); break;
        case fb::Columns::Type::Date:
        case fb::Columns::Type::Timestamp:  // its date part comes first
            row.setDate(column, QDate::fromJulianDay(load<int>(p) + kEngineEpoch));
            break;
        default: row.setText(column, cols.text(buffer, f)); break;
        }
    }
    return true;
}

}  // namespace spreadsheet
