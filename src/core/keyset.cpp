#include "core/keyset.h"

#include <QDate>
#include <QHash>
#include <limits>

namespace keyset {

namespace {

// ---------------------------------------------------------------- tokens

struct Token {
    enum class Kind { Word, Literal, Number, Param, Symbol };
    Kind kind;
    QString text;
    int begin = 0;
    int end = 0;
    int depth = 0;  // brackets around it
};

bool isWordStart(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
}
bool isWordChar(QChar c)
{
    return isWordStart(c) || (c >= u'0' && c <= u'9') || c == u'$';
}

std::optional<std::vector<Token>> tokenize(const QString& sql)
{
    std::vector<Token> out;
    const int n = static_cast<int>(sql.size());
    int depth = 0;
    int i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        if (c.isSpace()) {
            ++i;
        } else if (c == u'-' && i + 1 < n && sql.at(i + 1) == u'-') {
            const int j = sql.indexOf(u'\n', i);
            i = j < 0 ? n : j;
        } else if (c == u'/' && i + 1 < n && sql.at(i + 1) == u'*') {
            const int j = sql.indexOf(QStringLiteral("*/"), i + 2);
            if (j < 0)
                return std::nullopt;
            i = j + 2;
        } else if (c == u'\'') {
            int j = i + 1;
            for (;; ++j) {
                if (j >= n)
                    return std::nullopt;
                if (sql.at(j) == u'\'') {
                    if (j + 1 < n && sql.at(j + 1) == u'\'') {
                        ++j;
                        continue;
                    }
                    break;
                }
            }
            out.push_back({Token::Kind::Literal, sql.mid(i, j + 1 - i), i, j + 1, depth});
            i = j + 1;
        } else if (c == u'"') {
            return std::nullopt;  // quoted names: not a statement of the plain form
        } else if (isWordStart(c)) {
            int j = i + 1;
            while (j < n && isWordChar(sql.at(j)))
                ++j;
            out.push_back({Token::Kind::Word, sql.mid(i, j - i), i, j, depth});
            i = j;
        } else if (c.isDigit()) {
            int j = i + 1;
            while (j < n && (sql.at(j).isDigit() || sql.at(j) == u'.'))
                ++j;
            out.push_back({Token::Kind::Number, sql.mid(i, j - i), i, j, depth});
            i = j;
        } else if (c == u':' && i + 1 < n && isWordStart(sql.at(i + 1))) {
            int j = i + 1;
            while (j < n && isWordChar(sql.at(j)))
                ++j;
            out.push_back({Token::Kind::Param, sql.mid(i, j - i), i, j, depth});
            i = j;
        } else if (c == u'(') {
            out.push_back({Token::Kind::Symbol, QString(c), i, i + 1, depth});
            ++depth;
            ++i;
        } else if (c == u')') {
            if (--depth < 0)
                return std::nullopt;
            out.push_back({Token::Kind::Symbol, QString(c), i, i + 1, depth});
            ++i;
        } else {
            out.push_back({Token::Kind::Symbol, QString(c), i, i + 1, depth});
            ++i;
        }
    }
    if (depth != 0)
        return std::nullopt;
    return out;
}

// Words that make a statement something else than the plain form: the key statements could not
// keep its meaning.
bool changesTheForm(const QString& word)
{
    static const QStringList words = {
        QStringLiteral("DISTINCT"), QStringLiteral("FIRST"),  QStringLiteral("SKIP"),  QStringLiteral("UNION"),
        QStringLiteral("GROUP"),    QStringLiteral("HAVING"), QStringLiteral("PLAN"),  QStringLiteral("ROWS"),
        QStringLiteral("FOR"),      QStringLiteral("WITH"),   QStringLiteral("LEFT"),  QStringLiteral("RIGHT"),
        QStringLiteral("FULL"),     QStringLiteral("OUTER"),  QStringLiteral("CROSS"), QStringLiteral("NATURAL"),
        QStringLiteral("USING"),    QStringLiteral("OFFSET"), QStringLiteral("FETCH"), QStringLiteral("NULLS"),
        QStringLiteral("COLLATE"),  QStringLiteral("WINDOW"), QStringLiteral("INTO"),  QStringLiteral("RETURNING")};
    return words.contains(word, Qt::CaseInsensitive);
}

class Parser {
public:
    Parser(const std::vector<Token>& tokens, int from, int to) : m_t(tokens), m_pos(from), m_end(to) {}
    bool atEnd() const { return m_pos >= m_end; }
    bool word(const char* w) const
    {
        return !atEnd() && m_t[static_cast<size_t>(m_pos)].kind == Token::Kind::Word &&
               m_t[static_cast<size_t>(m_pos)].text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    }
    bool take(const char* w)
    {
        if (!word(w))
            return false;
        ++m_pos;
        return true;
    }
    bool takeSymbol(QChar s)
    {
        if (atEnd() || m_t[static_cast<size_t>(m_pos)].kind != Token::Kind::Symbol ||
            m_t[static_cast<size_t>(m_pos)].text != QString(s))
            return false;
        ++m_pos;
        return true;
    }
    // A name that is no keyword of the FROM part.
    std::optional<QString> name()
    {
        if (atEnd() || m_t[static_cast<size_t>(m_pos)].kind != Token::Kind::Word)
            return std::nullopt;
        const QString w = m_t[static_cast<size_t>(m_pos)].text;
        for (const char* k : {"JOIN", "INNER", "ON", "AS", "ASC", "ASCENDING", "DESC", "DESCENDING", "SELECT", "FROM",
                              "WHERE", "ORDER", "BY", "AND", "OR", "NOT"})
            if (w.compare(QLatin1String(k), Qt::CaseInsensitive) == 0)
                return std::nullopt;
        ++m_pos;
        return w;
    }
    std::optional<ColumnRef> ref()
    {
        const auto first = name();
        if (!first)
            return std::nullopt;
        if (!takeSymbol(u'.'))
            return ColumnRef{QString(), *first};
        const auto second = name();
        if (!second)
            return std::nullopt;
        return ColumnRef{*first, *second};
    }
    // table [[AS] alias]
    bool table(QString& name_, QString& alias)
    {
        const auto t = name();
        if (!t)
            return false;
        name_ = *t;
        alias.clear();
        if (take("AS")) {
            const auto a = name();
            if (!a)
                return false;
            alias = *a;
        } else if (const auto a = name()) {
            alias = *a;
        }
        return true;
    }

private:
    const std::vector<Token>& m_t;
    int m_pos;
    int m_end;
};

QString upper(const QString& s)
{
    return s.toUpper();
}

bool orderable(const fb::Columns::Column& c)
{
    using T = fb::Columns::Type;
    switch (c.type) {
        case T::Date:
        case T::Text:
        case T::Varying:
            return true;
        case T::Short:
        case T::Long:
        case T::Int64:
            return c.scale == 0;
        default:
            return false;
    }
}

bool isInteger(const fb::Columns::Column& c)
{
    using T = fb::Columns::Type;
    return (c.type == T::Short || c.type == T::Long || c.type == T::Int64) && c.scale == 0;
}

// The smallest value a column can hold: "column >= it" keeps every row with a value and lets the
// engine start its index walk after the missing ones, which "IS NOT NULL" would not.
std::optional<fb::Value> smallest(const fb::Columns::Column& c)
{
    using T = fb::Columns::Type;
    switch (c.type) {
        case T::Date:
            return fb::Value::fromDate(QDate(1, 1, 1));
        case T::Text:
        case T::Varying:
            return fb::Value::fromText(QString());
        case T::Short:
            return fb::Value::fromInt(std::numeric_limits<qint16>::min());
        case T::Long:
            return fb::Value::fromInt(std::numeric_limits<qint32>::min());
        case T::Int64:
            return fb::Value::fromInt(std::numeric_limits<qint64>::min());
        default:
            return std::nullopt;
    }
}

QString compose(const Plan& plan, const QStringList& conditions, Walk walk, bool ordered)
{
    QStringList all;
    if (!plan.where.isEmpty())
        all << QStringLiteral("(%1)").arg(plan.where);
    all << conditions;
    QString sql = plan.selectFrom;
    if (!all.isEmpty())
        sql += QStringLiteral("\nWHERE ") + all.join(QStringLiteral("\n  AND "));
    if (ordered) {
        QStringList items;
        for (const Segment& s : plan.segments)
            items << (s.descending != (walk == Walk::Backward) ? s.expr + QStringLiteral(" DESC") : s.expr);
        sql += QStringLiteral("\nORDER BY ") + items.join(QStringLiteral(", "));
        // A limit, however high, makes the engine plan for the first rows: it walks the order's
        // index from the key on. Without one, where the index statistics were never computed (a
        // database filled after it was created), it finds the rows beyond the key through another
        // index and sorts them all first.
        sql += QStringLiteral("\nROWS 2147483647");
    }
    return sql;
}

QString parameter(int n)
{
    return QStringLiteral("keyset_%1").arg(n);
}

}  // namespace

std::optional<Shape> parse(const QString& sql)
{
    const auto tokens = tokenize(sql);
    if (!tokens || tokens->empty())
        return std::nullopt;
    const std::vector<Token>& t = *tokens;
    const int n = static_cast<int>(t.size());
    const auto isTopWord = [&](int i, const char* w) {
        return i < n && t[static_cast<size_t>(i)].depth == 0 && t[static_cast<size_t>(i)].kind == Token::Kind::Word &&
               t[static_cast<size_t>(i)].text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    };
    if (!isTopWord(0, "SELECT"))
        return std::nullopt;
    int from = -1, where = -1, order = -1;
    for (int i = 1; i < n; ++i) {
        const Token& k = t[static_cast<size_t>(i)];
        if (k.depth != 0 || k.kind != Token::Kind::Word)
            continue;
        if (changesTheForm(k.text) || isTopWord(i, "SELECT"))
            return std::nullopt;
        if (from < 0 && isTopWord(i, "FROM"))
            from = i;
        else if (from >= 0 && isTopWord(i, "WHERE")) {
            if (where >= 0 || order >= 0)
                return std::nullopt;
            where = i;
        } else if (from >= 0 && isTopWord(i, "ORDER") && isTopWord(i + 1, "BY")) {
            if (order >= 0)
                return std::nullopt;
            order = i;
        }
    }
    if (from < 0 || order < 0)
        return std::nullopt;

    Shape shape;
    const int fromEnd = where >= 0 ? where : order;
    for (int i = from + 1; i < fromEnd; ++i)
        if (t[static_cast<size_t>(i)].depth != 0 || t[static_cast<size_t>(i)].text == QStringLiteral("("))
            return std::nullopt;  // a derived table
    Parser f(t, from + 1, fromEnd);
    if (!f.table(shape.table, shape.alias))
        return std::nullopt;
    while (!f.atEnd()) {
        f.take("INNER");
        Join j;
        if (!f.take("JOIN") || !f.table(j.table, j.alias) || !f.take("ON"))
            return std::nullopt;
        const auto left = f.ref();
        if (!left || !f.takeSymbol(u'='))
            return std::nullopt;
        const auto right = f.ref();
        if (!right)
            return std::nullopt;
        j.left = *left;
        j.right = *right;
        shape.joins.push_back(j);
    }

    for (int i = order + 2; i < n; ++i)
        if (t[static_cast<size_t>(i)].depth != 0)
            return std::nullopt;
    Parser o(t, order + 2, n);
    do {
        const auto r = o.ref();
        if (!r)
            return std::nullopt;
        OrderItem item{*r, false};
        if (o.take("DESC") || o.take("DESCENDING"))
            item.descending = true;
        else if (!o.take("ASC"))
            o.take("ASCENDING");
        shape.order.push_back(item);
    } while (o.takeSymbol(u','));
    if (!o.atEnd())
        return std::nullopt;

    const int cut = t[static_cast<size_t>(fromEnd)].begin;
    shape.selectFrom = sql.left(cut).trimmed();
    if (where >= 0) {
        const int begin = t[static_cast<size_t>(where)].end;
        shape.where = sql.mid(begin, t[static_cast<size_t>(order)].begin - begin).trimmed();
        if (shape.where.isEmpty())
            return std::nullopt;
    }
    return shape;
}

std::optional<Plan> makePlan(const Shape& shape, const fb::Columns& columns, const Catalog& catalog)
{
    // Qualifier (alias, else table name) -> table.
    QHash<QString, QString> tables;
    const auto qualifierOf = [](const QString& table, const QString& alias) { return alias.isEmpty() ? table : alias; };
    tables.insert(upper(qualifierOf(shape.table, shape.alias)), upper(shape.table));
    for (const Join& j : shape.joins) {
        const QString q = upper(qualifierOf(j.table, j.alias));
        if (tables.contains(q))
            return std::nullopt;
        tables.insert(q, upper(j.table));
    }

    const QString keyName = catalog.primaryKey(upper(shape.table));
    if (keyName.isEmpty())
        return std::nullopt;
    // Each join meets at most one row, or the row key would not tell the rows apart.
    for (const Join& j : shape.joins) {
        const QString q = upper(qualifierOf(j.table, j.alias));
        const ColumnRef* own = upper(j.left.qualifier) == q    ? &j.left
                               : upper(j.right.qualifier) == q ? &j.right
                                                               : nullptr;
        if (!own || !catalog.isUnique(upper(j.table), upper(own->column)))
            return std::nullopt;
    }

    // The result column a reference reads: a plain column of the named (or any) table, found once.
    const auto find = [&](const ColumnRef& ref) {
        QString relation;
        if (!ref.qualifier.isEmpty()) {
            relation = tables.value(upper(ref.qualifier));
            if (relation.isEmpty())
                return -1;
        }
        int found = -1;
        for (int i = 0; i < columns.count(); ++i) {
            const fb::Columns::Column& c = columns.at(i);
            if (c.relation.isEmpty() || c.name.compare(ref.column, Qt::CaseInsensitive) != 0 ||
                c.field.compare(ref.column, Qt::CaseInsensitive) != 0)
                continue;
            if (!relation.isEmpty() ? c.relation.compare(relation, Qt::CaseInsensitive) != 0
                                    : !tables.values().contains(upper(c.relation)))
                continue;
            if (found >= 0)
                return -1;  // not one column
            found = i;
        }
        return found;
    };

    Plan plan;
    plan.selectFrom = shape.selectFrom;
    plan.where = shape.where;
    const QString keyQualifier = qualifierOf(shape.table, shape.alias);
    plan.keyColumn = find({keyQualifier, keyName});
    if (plan.keyColumn < 0 || !isInteger(columns.at(plan.keyColumn)))
        return std::nullopt;
    for (const OrderItem& item : shape.order) {
        const int column = find(item.ref);
        if (column < 0 || !orderable(columns.at(column)))
            return std::nullopt;
        const QString expr =
            item.ref.qualifier.isEmpty() ? item.ref.column : item.ref.qualifier + u'.' + item.ref.column;
        plan.segments.push_back({expr, item.descending, column});
        if (column == plan.keyColumn)
            break;  // unique from here on
    }
    if (plan.segments.empty())
        return std::nullopt;
    if (plan.segments.back().column != plan.keyColumn) {
        plan.segments.push_back({keyQualifier + u'.' + keyName, false, plan.keyColumn});
        plan.keyAdded = true;
    }
    return plan;
}

Step whole(const Plan& plan, Walk walk)
{
    return {compose(plan, {}, walk, true), {}};
}

std::vector<Step> beyond(const Plan& plan, const fb::Columns& columns, const std::vector<fb::Value>& key, Walk walk)
{
    std::vector<Step> steps;
    const int n = static_cast<int>(plan.segments.size());
    // Nearest first: the rows sharing the longest beginning of the key come right after it.
    for (int i = n - 1; i >= 0; --i) {
        QStringList same;
        std::vector<std::pair<QString, fb::Value>> params;
        for (int j = 0; j < i; ++j) {
            const Segment& s = plan.segments[static_cast<size_t>(j)];
            const fb::Value& v = key[static_cast<size_t>(j)];
            if (v.kind == fb::Value::Kind::Null) {
                same << s.expr + QStringLiteral(" IS NULL");
            } else {
                same << QStringLiteral("%1 = :%2").arg(s.expr, parameter(static_cast<int>(params.size())));
                params.emplace_back(parameter(static_cast<int>(params.size())), v);
            }
        }
        const Segment& s = plan.segments[static_cast<size_t>(i)];
        const fb::Value& v = key[static_cast<size_t>(i)];
        const bool missing = v.kind == fb::Value::Kind::Null;
        const QString p = parameter(static_cast<int>(params.size()));
        const auto add = [&](const QString& condition, const std::optional<fb::Value>& value) {
            Step step{compose(plan, QStringList(same) << condition, walk, true), params};
            if (value)
                step.params.emplace_back(p, *value);
            steps.push_back(std::move(step));
        };
        // Walking up an order, missing values come first; walking down it, they come last.
        const bool down = s.descending != (walk == Walk::Backward);
        if (!down) {
            if (!missing)
                add(QStringLiteral("%1 > :%2").arg(s.expr, p), v);
            else if (const auto least = smallest(columns.at(s.column)))
                add(QStringLiteral("%1 >= :%2").arg(s.expr, p), least);
            else
                add(s.expr + QStringLiteral(" IS NOT NULL"), std::nullopt);
        } else if (!missing) {
            add(QStringLiteral("%1 < :%2").arg(s.expr, p), v);
            add(s.expr + QStringLiteral(" IS NULL"), std::nullopt);
        }
    }
    return steps;
}

Step probe(const Plan& plan, const fb::Value& value)
{
    return {
        compose(plan, {QStringLiteral("%1 = :%2").arg(plan.segments.back().expr, parameter(0))}, Walk::Forward, false),
        {{parameter(0), value}}};
}

fb::Value valueOf(const fb::Columns& columns, const unsigned char* row, int column)
{
    if (columns.isNull(row, column))
        return {};
    const fb::Columns::Column& c = columns.at(column);
    using T = fb::Columns::Type;
    if ((c.type == T::Short || c.type == T::Long || c.type == T::Int64) && c.scale == 0)
        return fb::Value::fromInt(columns.integer(row, column));
    if (c.type == T::Date || c.type == T::Timestamp)
        return fb::Value::fromDate(columns.date(row, column));
    return fb::Value::fromText(columns.text(row, column));
}

std::vector<fb::Value> keyOf(const Plan& plan, const fb::Columns& columns, const unsigned char* row)
{
    std::vector<fb::Value> key;
    key.reserve(plan.segments.size());
    for (const Segment& s : plan.segments)
        key.push_back(valueOf(columns, row, s.column));
    return key;
}

}  // namespace keyset
