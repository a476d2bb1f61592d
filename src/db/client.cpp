#include "db/client.h"

#include "core/convert.h"
#include "db/charset.h"
#include "db/status.h"

#include <firebird/Interface.h>

#include <QDir>
#include <QStringDecoder>
#include <QtGlobal>

#include <cstring>
#include <unistd.h>

using namespace Firebird;

namespace fb {

using detail::Status;

QString detail::messageText(const char* buf)
{
    const QByteArray bytes(buf);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    return (utf8.hasError() ? fromWin1250(bytes.constData(), static_cast<int>(bytes.size())) : text).trimmed();
}

void detail::Status::check()
{
    if (!(m_wrapper.getState() & IStatus::STATE_ERRORS))
        return;
    char buf[2048];
    util()->formatStatus(buf, sizeof(buf), m_status);
    // Every code with the texts and numbers that follow it: the Hungarian message is made of them.
    std::vector<StatusEntry> entries;
    const intptr_t* v = m_status->getErrors();
    while (v && *v != isc_arg_end) {
        const intptr_t kind = v[0];
        if (kind == isc_arg_gds) {
            entries.push_back({static_cast<long>(v[1]), {}});
        } else if (!entries.empty()) {
            QStringList& args = entries.back().arguments;
            if (kind == isc_arg_string || kind == isc_arg_interpreted)
                args << messageText(reinterpret_cast<const char*>(v[1]));
            else if (kind == isc_arg_cstring)
                args << messageText(QByteArray(reinterpret_cast<const char*>(v[2]), static_cast<int>(v[1])).constData());
            else if (kind == isc_arg_number)
                args << QString::number(static_cast<long>(v[1]));
            else if (kind == isc_arg_unix)
                args << QStringLiteral("os:%1").arg(static_cast<long>(v[1]));
        }
        v += (kind == isc_arg_cstring) ? 3 : 2;
    }
    m_wrapper.init();
    throw Error(std::move(entries), messageText(buf));
}

namespace {

constexpr unsigned kWin1250Id = 51;

template <typename T>
void releaseIfAny(T*& p)
{
    if (p) {
        p->release();
        p = nullptr;
    }
}

QByteArray local(const QString& s) { return s.toLocal8Bit(); }

}  // namespace

IMaster* master()
{
    static IMaster* m = fb_get_master_interface();
    return m;
}

IUtil* util()
{
    static IUtil* u = master()->getUtilInterface();
    return u;
}

void preparePerUserLockDirectory()
{
    if (qEnvironmentVariableIsSet("FIREBIRD_LOCK"))
        return;
    const QString dir = QDir::tempPath() + QStringLiteral("/gerundo-firebird-") + QString::number(getuid());
    QDir().mkpath(dir);
    QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("FIREBIRD_LOCK", QFile::encodeName(dir));
}

// ---------------------------------------------------------------- Attachment

namespace {
QByteArray buildDpb(const ConnectParams& p, bool create, int pageSize)
{
    Status st;
    IXpbBuilder* dpb = util()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
    st.check();
    struct Dispose {
        IXpbBuilder* b;
        ~Dispose() { b->dispose(); }
    } guard{dpb};
    dpb->insertString(&st, isc_dpb_user_name, local(p.user).constData());
    dpb->insertString(&st, isc_dpb_password, local(p.password).constData());
    dpb->insertString(&st, isc_dpb_lc_ctype, local(p.charset).constData());
    dpb->insertInt(&st, isc_dpb_sql_dialect, p.dialect);
    if (create) {
        dpb->insertInt(&st, isc_dpb_page_size, pageSize);
        dpb->insertString(&st, isc_dpb_set_db_charset, local(p.charset).constData());
    }
    st.check();
    const unsigned len = dpb->getBufferLength(&st);
    const unsigned char* buf = dpb->getBuffer(&st);
    st.check();
    return QByteArray(reinterpret_cast<const char*>(buf), static_cast<int>(len));
}
}  // namespace

Attachment::~Attachment()
{
    try {
        detach();
    } catch (...) {
    }
}

void Attachment::attach(const ConnectParams& params)
{
    detach();
    const QByteArray dpb = buildDpb(params, false, 0);
    Status st;
    IProvider* prov = master()->getDispatcher();
    m_att = prov->attachDatabase(&st, QFile::encodeName(params.database).constData(),
                                 static_cast<unsigned>(dpb.size()),
                                 reinterpret_cast<const unsigned char*>(dpb.constData()));
    prov->release();
    st.check();
}

void Attachment::create(const ConnectParams& params, int pageSize)
{
    detach();
    const QByteArray dpb = buildDpb(params, true, pageSize);
    Status st;
    IProvider* prov = master()->getDispatcher();
    m_att = prov->createDatabase(&st, QFile::encodeName(params.database).constData(),
                                 static_cast<unsigned>(dpb.size()),
                                 reinterpret_cast<const unsigned char*>(dpb.constData()));
    prov->release();
    st.check();
}

void Attachment::detach()
{
    if (!m_att)
        return;
    Status st;
    m_att->detach(&st);
    if (st.operator&()->getState() & IStatus::STATE_ERRORS) {
        // A failed detach still has to let the handle go.
        m_att->release();
        m_att = nullptr;
        st.check();
    }
    m_att = nullptr;
}

void Attachment::drop()
{
    if (!m_att)
        return;
    Status st;
    m_att->dropDatabase(&st);
    if (st.operator&()->getState() & IStatus::STATE_ERRORS) {
        // Not dropped (another attachment uses it): at least let go of ours.
        Status again;
        m_att->detach(&again);
        if (again.operator&()->getState() & IStatus::STATE_ERRORS)
            m_att->release();
        m_att = nullptr;
        st.check();
    }
    m_att = nullptr;
}

void Attachment::executeImmediate(const QString& sql)
{
    if (!m_att)
        throw Error(notConnectedMessage());
    Status st;
    ITransaction* tra = m_att->startTransaction(&st, 0, nullptr);
    st.check();
    const QByteArray text = toWin1250(sql);
    m_att->execute(&st, tra, 0, text.constData(), 3, nullptr, nullptr, nullptr, nullptr);
    try {
        st.check();
    } catch (...) {
        Status st2;
        tra->rollback(&st2);
        if (st2.operator&()->getState() & IStatus::STATE_ERRORS)
            tra->release();
        throw;
    }
    tra->commit(&st);
    if (st.operator&()->getState() & IStatus::STATE_ERRORS) {
        // DDL can fail only at commit (a unique index over duplicates): the transaction must not
        // stay open behind the error, or the attachment can no longer be detached.
        Status st2;
        tra->rollback(&st2);
        if (st2.operator&()->getState() & IStatus::STATE_ERRORS)
            tra->release();
        st.check();
    }
}

// ---------------------------------------------------------------- Transaction

Transaction::~Transaction()
{
    if (m_tra) {
        Status st;
        m_tra->rollback(&st);
        if (m_tra && (st.operator&()->getState() & IStatus::STATE_ERRORS))
            m_tra->release();
        m_tra = nullptr;
    }
}

void Transaction::start(Attachment& att)
{
    static const unsigned char tpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed,
                                        isc_tpb_rec_version, isc_tpb_nowait};
    begin(att, tpb, sizeof(tpb));
}

void Transaction::startReadOnly(Attachment& att)
{
    static const unsigned char tpb[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_read_committed,
                                        isc_tpb_rec_version, isc_tpb_nowait};
    begin(att, tpb, sizeof(tpb));
}

void Transaction::begin(Attachment& att, const unsigned char* tpb, unsigned length)
{
    if (m_tra)
        return;
    if (!att.isAttached())
        throw Error(notConnectedMessage());
    Status st;
    m_tra = att.raw()->startTransaction(&st, length, tpb);
    st.check();
    m_writeStatements = 0;
}

void Transaction::commit()
{
    if (!m_tra)
        return;
    Status st;
    m_tra->commit(&st);
    st.check();
    m_tra = nullptr;
}

void Transaction::commitRetaining()
{
    if (!m_tra)
        return;
    Status st;
    m_tra->commitRetaining(&st);
    st.check();
    m_writeStatements = 0;
}

void Transaction::rollback()
{
    if (!m_tra)
        return;
    Status st;
    m_tra->rollback(&st);
    st.check();
    m_tra = nullptr;
}

// ---------------------------------------------------------------- named parameters

NamedSql translateNamedParameters(const QString& sql)
{
    NamedSql out;
    out.sql.reserve(sql.size());
    const int n = static_cast<int>(sql.size());
    int i = 0;
    auto isNameStart = [](QChar c) { return c.isLetter() || c == u'_'; };
    auto isNameChar = [](QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; };
    while (i < n) {
        const QChar c = sql.at(i);
        if (c == u'\'' || c == u'"') {  // literal or quoted identifier: copy through to its end
            int j = i + 1;
            while (j < n) {
                if (sql.at(j) == c) {
                    if (j + 1 < n && sql.at(j + 1) == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out.sql += sql.mid(i, j - i + 1);
            i = j + 1;
        } else if (c == u'-' && i + 1 < n && sql.at(i + 1) == u'-') {
            int j = sql.indexOf(u'\n', i);
            if (j < 0)
                j = n;
            out.sql += sql.mid(i, j - i);
            i = j;
        } else if (c == u'/' && i + 1 < n && sql.at(i + 1) == u'*') {
            int j = sql.indexOf(QStringLiteral("*/"), i + 2);
            j = j < 0 ? n : j + 2;
            out.sql += sql.mid(i, j - i);
            i = j;
        } else if (c == u':' && i + 1 < n && isNameStart(sql.at(i + 1))) {
            int j = i + 1;
            while (j < n && isNameChar(sql.at(j)))
                ++j;
            out.names << sql.mid(i + 1, j - i - 1).toLower();
            out.sql += u'?';
            i = j;
        } else {
            out.sql += c;
            ++i;
        }
    }
    return out;
}

// ---------------------------------------------------------------- Columns

Columns::Columns(IMessageMetadata* meta)
{
    Status st;
    const unsigned n = meta->getCount(&st);
    st.check();
    m_length = meta->getMessageLength(&st);
    st.check();
    m_cols.reserve(n);
    for (unsigned i = 0; i < n; ++i) {
        Column c;
        const char* alias = meta->getAlias(&st, i);
        st.check();
        c.name = QString::fromUtf8(alias).trimmed();
        c.field = QString::fromUtf8(meta->getField(&st, i)).trimmed();
        if (c.name.isEmpty())
            c.name = c.field;
        c.relation = QString::fromUtf8(meta->getRelation(&st, i)).trimmed();
        const unsigned t = meta->getType(&st, i) & ~1u;
        c.scale = meta->getScale(&st, i);
        c.length = meta->getLength(&st, i);
        c.offset = meta->getOffset(&st, i);
        c.nullOffset = meta->getNullOffset(&st, i);
        st.check();
        switch (t) {
        case SQL_TEXT: c.type = Type::Text; break;
        case SQL_VARYING: c.type = Type::Varying; break;
        case SQL_SHORT: c.type = Type::Short; break;
        case SQL_LONG: c.type = Type::Long; break;
        case SQL_INT64: c.type = Type::Int64; break;
        case SQL_FLOAT: c.type = Type::Float; break;
        case SQL_DOUBLE: c.type = Type::Double; break;
        case SQL_TYPE_DATE: c.type = Type::Date; break;
        case SQL_TYPE_TIME: c.type = Type::Time; break;
        case SQL_TIMESTAMP: c.type = Type::Timestamp; break;
        case SQL_BOOLEAN: c.type = Type::Boolean; break;
        default: c.type = Type::Other; break;
        }
        m_cols.push_back(c);
    }
}

int Columns::indexOf(const QString& name) const
{
    for (size_t i = 0; i < m_cols.size(); ++i)
        if (m_cols[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

bool Columns::isNull(const unsigned char* row, int col) const
{
    short flag;
    std::memcpy(&flag, row + at(col).nullOffset, sizeof flag);
    return flag != 0;
}

namespace {
template <typename T>
T load(const unsigned char* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

}  // namespace

QByteArray Columns::rawBytes(const unsigned char* row, int col) const
{
    const Column& c = at(col);
    const unsigned char* p = row + c.offset;
    if (c.type == Type::Varying) {
        const auto len = load<unsigned short>(p);
        return QByteArray(reinterpret_cast<const char*>(p + 2), len);
    }
    if (c.type == Type::Text)
        return QByteArray(reinterpret_cast<const char*>(p), static_cast<int>(c.length));
    return {};
}

QString Columns::text(const unsigned char* row, int col) const
{
    if (isNull(row, col))
        return {};
    const Column& c = at(col);
    const unsigned char* p = row + c.offset;
    switch (c.type) {
    case Type::Varying: {
        const auto len = load<unsigned short>(p);
        return fromWin1250(reinterpret_cast<const char*>(p + 2), len);
    }
    case Type::Text: {
        // CHAR columns come blank-padded; the padding is not part of the value.
        int len = static_cast<int>(c.length);
        while (len > 0 && p[len - 1] == ' ')
            --len;
        return fromWin1250(reinterpret_cast<const char*>(p), len);
    }
    case Type::Short: return convert::fixedPointToText(load<short>(p), c.scale);
    case Type::Long: return convert::fixedPointToText(load<int>(p), c.scale);
    case Type::Int64: return convert::fixedPointToText(load<qint64>(p), c.scale);
    case Type::Float: return convert::floatToText(load<float>(p), 7);
    case Type::Double: return convert::floatToText(load<double>(p));
    case Type::Boolean: return load<unsigned char>(p) ? QStringLiteral("True") : QStringLiteral("False");
    case Type::Date:
    case Type::Timestamp: {
        unsigned y, m, d;
        util()->decodeDate(load<ISC_DATE>(p), &y, &m, &d);
        return convert::dateToText(QDate(static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)));
    }
    case Type::Time: {
        unsigned h, mi, s, f;
        util()->decodeTime(load<ISC_TIME>(p), &h, &mi, &s, &f);
        return QStringLiteral("%1:%2:%3").arg(h).arg(mi, 2, 10, QChar(u'0')).arg(s, 2, 10, QChar(u'0'));
    }
    case Type::Other: break;
    }
    return {};
}

qint64 Columns::integer(const unsigned char* row, int col) const
{
    if (isNull(row, col))
        return 0;
    const Column& c = at(col);
    const unsigned char* p = row + c.offset;
    qint64 v = 0;
    switch (c.type) {
    case Type::Short: v = load<short>(p); break;
    case Type::Long: v = load<int>(p); break;
    case Type::Int64: v = load<qint64>(p); break;
    case Type::Float: return static_cast<qint64>(load<float>(p));
    case Type::Double: return static_cast<qint64>(load<double>(p));
    default: {
        bool ok = false;
        const qint64 r = text(row, col).trimmed().toLongLong(&ok);
        if (!ok)
            throw Error(invalidIntegerMessage(text(row, col), c.name));
        return r;
    }
    }
    for (int s = c.scale; s < 0; ++s)
        v /= 10;
    return v;
}

QDate Columns::date(const unsigned char* row, int col) const
{
    if (isNull(row, col))
        return {};
    const Column& c = at(col);
    if (c.type != Type::Date && c.type != Type::Timestamp)
        return {};
    unsigned y, m, d;
    util()->decodeDate(load<ISC_DATE>(row + c.offset), &y, &m, &d);
    return QDate(static_cast<int>(y), static_cast<int>(m), static_cast<int>(d));
}

// ---------------------------------------------------------------- Statement

Statement::Statement(Attachment& att, Transaction& tra, const QString& sql, bool namedParams)
    : m_tra(tra), m_named(namedParams ? translateNamedParameters(sql) : NamedSql{sql, {}})
{
    m_values.resize(static_cast<size_t>(m_named.names.size()));
    if (!att.isAttached())
        throw Error(notConnectedMessage());
    Status st;
    const QByteArray text = toWin1250(m_named.sql);
    m_stmt = att.raw()->prepare(&st, tra.raw(), 0, text.constData(), 3, IStatement::PREPARE_PREFETCH_METADATA);
    st.check();
    try {
        m_hasCursor = (m_stmt->getFlags(&st) & IStatement::FLAG_HAS_CURSOR) != 0;
        const unsigned type = m_stmt->getType(&st);
        m_mayWrite = type != isc_info_sql_stmt_select && type != isc_info_sql_stmt_select_for_upd;
        m_outMeta = m_stmt->getOutputMetadata(&st);
        st.check();
        m_columns = Columns(m_outMeta);
    } catch (...) {
        // No destructor runs for a half-built statement: let the engine's objects go here.
        releaseAll();
        throw;
    }
}

Statement::~Statement() { releaseAll(); }

void Statement::releaseAll()
{
    releaseIfAny(m_outMeta);
    if (m_stmt) {
        Status st;
        m_stmt->free(&st);
        if (st.operator&()->getState() & IStatus::STATE_ERRORS)
            m_stmt->release();
        m_stmt = nullptr;
    }
}

void Statement::bind(const QString& name, const Value& value)
{
    const QString key = name.toLower();
    for (int i = 0; i < m_named.names.size(); ++i)
        if (m_named.names.at(i) == key)
            m_values[static_cast<size_t>(i)] = value;
}

void Statement::buildInput(std::vector<unsigned char>& buffer, IMessageMetadata*& meta) const
{
    meta = nullptr;
    const unsigned n = static_cast<unsigned>(m_values.size());
    if (n == 0)
        return;
    Status st;
    IMetadataBuilder* b = master()->getMetadataBuilder(&st, n);
    st.check();
    struct Release {
        IMetadataBuilder*& b;
        ~Release() { releaseIfAny(b); }
    } releaseBuilder{b};
    std::vector<QByteArray> texts(n);
    for (unsigned i = 0; i < n; ++i) {
        const Value& v = m_values[i];
        switch (v.kind) {
        case Value::Kind::Text:
            // Never "?" in place of a character: the value would be stored changed while the
            // save reports success.
            if (const qsizetype bad = firstUnstorable(v.text); bad >= 0)
                throw UnstorableText(v.text, bad, v.field.isEmpty() ? m_named.names.at(i) : v.field);
            texts[i] = toWin1250(v.text);
            b->setType(&st, i, SQL_VARYING + 1);
            b->setLength(&st, i, static_cast<unsigned>(std::max<qsizetype>(1, texts[i].size())));
            b->setCharSet(&st, i, kWin1250Id);
            break;
        case Value::Kind::Date:
            b->setType(&st, i, SQL_TYPE_DATE + 1);
            b->setLength(&st, i, sizeof(ISC_DATE));
            break;
        case Value::Kind::Int:
            b->setType(&st, i, SQL_INT64 + 1);
            b->setLength(&st, i, sizeof(ISC_INT64));
            b->setScale(&st, i, 0);
            break;
        case Value::Kind::Null:
            b->setType(&st, i, SQL_VARYING + 1);
            b->setLength(&st, i, 1);
            b->setCharSet(&st, i, kWin1250Id);
            break;
        }
        st.check();
    }
    meta = b->getMetadata(&st);
    releaseIfAny(b);
    st.check();
    buffer.assign(meta->getMessageLength(&st), 0);
    for (unsigned i = 0; i < n; ++i) {
        const Value& v = m_values[i];
        unsigned char* p = buffer.data() + meta->getOffset(&st, i);
        short nullFlag = v.kind == Value::Kind::Null ? -1 : 0;
        std::memcpy(buffer.data() + meta->getNullOffset(&st, i), &nullFlag, sizeof nullFlag);
        switch (v.kind) {
        case Value::Kind::Text: {
            const auto len = static_cast<unsigned short>(texts[i].size());
            std::memcpy(p, &len, sizeof len);
            std::memcpy(p + 2, texts[i].constData(), len);
            break;
        }
        case Value::Kind::Date: {
            const ISC_DATE d = util()->encodeDate(static_cast<unsigned>(v.date.year()),
                                                  static_cast<unsigned>(v.date.month()),
                                                  static_cast<unsigned>(v.date.day()));
            std::memcpy(p, &d, sizeof d);
            break;
        }
        case Value::Kind::Int: {
            const ISC_INT64 x = v.integer;
            std::memcpy(p, &x, sizeof x);
            break;
        }
        case Value::Kind::Null: break;
        }
    }
    if (st.operator&()->getState() & IStatus::STATE_ERRORS)
        releaseIfAny(meta);  // the caller gets no metadata to release with the error
    st.check();
}

void Statement::execute() { executeReturning(); }

std::vector<unsigned char> Statement::executeReturning()
{
    std::vector<unsigned char> in;
    IMessageMetadata* inMeta = nullptr;
    buildInput(in, inMeta);
    Status st;
    std::vector<unsigned char> out(m_columns.messageLength() + 8);
    ITransaction* tra = m_tra.raw();
    m_stmt->execute(&st, tra, inMeta, in.empty() ? nullptr : in.data(), m_columns.count() ? m_outMeta : nullptr,
                    m_columns.count() ? out.data() : nullptr);
    releaseIfAny(inMeta);
    st.check();
    if (m_mayWrite)
        ++m_tra.m_writeStatements;
    return out;
}

QString Statement::plan() const
{
    Status st;
    const char* text = m_stmt->getPlan(&st, false);
    st.check();
    return QString::fromUtf8(text).trimmed();
}

quint64 Statement::affectedRecords() const
{
    Status st;
    const ISC_UINT64 n = m_stmt->getAffectedRecords(&st);
    st.check();
    return n;
}

std::unique_ptr<Cursor> Statement::openCursor()
{
    std::vector<unsigned char> in;
    IMessageMetadata* inMeta = nullptr;
    buildInput(in, inMeta);
    Status st;
    // Forward-only (no cursor flags): a connection to a server has no scrollable cursors.
    IResultSet* rs = m_stmt->openCursor(&st, m_tra.raw(), inMeta, in.empty() ? nullptr : in.data(), m_outMeta, 0);
    releaseIfAny(inMeta);
    st.check();
    if (m_mayWrite)  // a block or procedure that returns rows may write too
        ++m_tra.m_writeStatements;
    return std::make_unique<Cursor>(rs, m_columns);
}

// ---------------------------------------------------------------- Cursor

Cursor::Cursor(IResultSet* rs, Columns columns) : m_rs(rs), m_columns(std::move(columns)) {}

Cursor::~Cursor()
{
    try {
        close();
    } catch (...) {
    }
}

bool Cursor::fetchNext(unsigned char* buffer)
{
    if (!m_rs)
        return false;
    Status st;
    const int r = m_rs->fetchNext(&st, buffer);
    st.check();
    return r == IStatus::RESULT_OK;
}

void Cursor::close()
{
    if (!m_rs)
        return;
    Status st;
    m_rs->close(&st);
    if (st.operator&()->getState() & IStatus::STATE_ERRORS) {
        m_rs->release();
        m_rs = nullptr;
        st.check();
    }
    m_rs = nullptr;
}

std::vector<qint64> readIntegers(Attachment& att, const QString& sql, const std::vector<std::pair<QString, Value>>& values)
{
    Transaction tra;
    tra.startReadOnly(att);
    std::vector<qint64> row;
    {
        Statement st(att, tra, sql);
        for (const auto& [name, value] : values)
            st.bind(name, value);
        auto cursor = st.openCursor();
        std::vector<unsigned char> buffer(cursor->columns().messageLength() + 8);
        if (cursor->fetchNext(buffer.data()))
            for (int i = 0; i < cursor->columns().count(); ++i)
                row.push_back(cursor->columns().integer(buffer.data(), i));
    }
    tra.commit();
    return row;
}

}  // namespace fb
