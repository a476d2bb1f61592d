#include "report/expression.h"

#include <cmath>
#include <vector>

namespace report {

ExpressionError::ExpressionError(const QString& message, int column)
    : std::runtime_error(message.toStdString()), m_message(message), m_column(column)
{
}

using NodePtr = std::shared_ptr<const Expression::Node>;

enum class Op { Add, Sub, Mul, Div, Eq, Ne, Lt, Gt, Le, Ge };
enum class Function { If, Trim };

struct Expression::Node {
    enum class Type { Constant, Ref, Neg, Binary, Call };
    Type type = Type::Constant;
    Value constant;
    Reference ref;
    Op op = Op::Add;
    Function function = Function::If;
    std::vector<NodePtr> kids;
    bool needsPage = false;
};

namespace {

using Node = Expression::Node;

NodePtr makeConstant(const Value& v)
{
    auto n = std::make_shared<Node>();
    n->type = Node::Type::Constant;
    n->constant = v;
    return n;
}

NodePtr makeNode(Node::Type type, std::vector<NodePtr> kids)
{
    auto n = std::make_shared<Node>();
    n->type = type;
    n->kids = std::move(kids);
    for (const auto& k : n->kids)
        n->needsPage = n->needsPage || k->needsPage;
    return n;
}

Reference makeReference(const QString& written)
{
    Reference r;
    r.name = written.trimmed();
    r.key = r.name.toLower();
    const int dot = r.key.indexOf(u'.');
    if (dot > 0 && dot < r.key.size() - 1) {
        r.qualifier = r.key.left(dot);
        r.field = r.key.mid(dot + 1);
    } else {
        r.field = r.key;
    }
    return r;
}

// ---------------------------------------------------------------- parsing

class Parser {
public:
    explicit Parser(const QString& text) : m_text(text) {}

    NodePtr parseAll()
    {
        skipBlanks();
        if (atEnd())
            return nullptr;
        NodePtr n = comparison();
        skipBlanks();
        if (!atEnd())
            fail(QStringLiteral("fölösleges szöveg a kifejezés végén: „%1”").arg(m_text.mid(m_pos).trimmed()));
        return n;
    }

private:
    [[noreturn]] void fail(const QString& message) const { throw ExpressionError(message, m_pos + 1); }
    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek(int ahead = 0) const { return m_pos + ahead < m_text.size() ? m_text.at(m_pos + ahead) : QChar(); }
    void skipBlanks()
    {
        while (!atEnd() && peek().isSpace())
            ++m_pos;
    }
    bool accept(QStringView token)
    {
        skipBlanks();
        if (QStringView(m_text).mid(m_pos).startsWith(token)) {
            m_pos += static_cast<int>(token.size());
            return true;
        }
        return false;
    }

    NodePtr binary(Op op, NodePtr a, NodePtr b)
    {
        auto n = std::const_pointer_cast<Node>(makeNode(Node::Type::Binary, {std::move(a), std::move(b)}));
        n->op = op;
        return n;
    }

    NodePtr comparison()
    {
        NodePtr left = additive();
        skipBlanks();
        static const std::pair<QStringView, Op> ops[] = {{u"<>", Op::Ne}, {u"<=", Op::Le}, {u">=", Op::Ge},
                                                         {u"=", Op::Eq},  {u"<", Op::Lt},  {u">", Op::Gt}};
        for (const auto& [token, op] : ops)
            if (accept(token))
                return binary(op, left, additive());
        return left;
    }

    NodePtr additive()
    {
        NodePtr left = multiplicative();
        for (;;) {
            if (accept(u"+"))
                left = binary(Op::Add, left, multiplicative());
            else if (accept(u"-"))
                left = binary(Op::Sub, left, multiplicative());
            else
                return left;
        }
    }

    NodePtr multiplicative()
    {
        NodePtr left = unary();
        for (;;) {
            if (accept(u"*"))
                left = binary(Op::Mul, left, unary());
            else if (accept(u"/"))
                left = binary(Op::Div, left, unary());
            else
                return left;
        }
    }

    NodePtr unary()
    {
        if (accept(u"-"))
            return makeNode(Node::Type::Neg, {unary()});
        if (accept(u"+"))
            return unary();
        return primary();
    }

    NodePtr primary()
    {
        skipBlanks();
        if (atEnd())
            fail(QStringLiteral("hiányzik egy érték a kifejezés végén"));
        const QChar c = peek();
        if (c == u'"')
            return stringLiteral();
        if (c == u'[')
            return reference();
        if (c.isDigit())
            return number();
        if (c == u'(') {
            ++m_pos;
            NodePtr inner = comparison();
            if (!accept(u")"))
                fail(QStringLiteral("hiányzó „)”"));
            return inner;
        }
        if (c.isLetter())
            return call();
        fail(QStringLiteral("váratlan karakter: „%1”").arg(c));
    }

    NodePtr stringLiteral()
    {
        const int start = m_pos;
        ++m_pos;
        QString out;
        for (;;) {
            if (atEnd()) {
                m_pos = start;
                fail(QStringLiteral("hiányzó záró idézőjel"));
            }
            const QChar c = peek();
            ++m_pos;
            if (c == u'"') {
                if (peek() == u'"') {  // "" stands for one quote inside a text
                    out += u'"';
                    ++m_pos;
                    continue;
                }
                break;
            }
            out += c;
        }
        return makeConstant(Value::text(out));
    }

    NodePtr reference()
    {
        const int start = m_pos;
        const int close = m_text.indexOf(u']', m_pos + 1);
        if (close < 0)
            fail(QStringLiteral("hiányzó „]”"));
        const QString inside = m_text.mid(m_pos + 1, close - m_pos - 1);
        if (inside.trimmed().isEmpty())
            fail(QStringLiteral("üres hivatkozás: []"));
        if (inside.contains(u'['))
            fail(QStringLiteral("hiányzó „]”"));
        m_pos = close + 1;
        auto n = std::make_shared<Node>();
        n->type = Node::Type::Ref;
        n->ref = makeReference(inside);
        n->needsPage = n->ref.qualifier.isEmpty() && (n->ref.key == kPageCountName || n->ref.key == kPageName);
        (void)start;
        return n;
    }

    NodePtr number()
    {
        const int start = m_pos;
        while (!atEnd() && peek().isDigit())
            ++m_pos;
        bool fraction = false;
        if (peek() == u'.' && peek(1).isDigit()) {
            fraction = true;
            ++m_pos;
            while (!atEnd() && peek().isDigit())
                ++m_pos;
        }
        const QString digits = m_text.mid(start, m_pos - start);
        if (fraction)
            return makeConstant(Value::number(digits.toDouble()));
        bool ok = false;
        const qint64 v = digits.toLongLong(&ok);
        if (!ok) {
            m_pos = start;
            fail(QStringLiteral("túl nagy szám: %1").arg(digits));
        }
        return makeConstant(Value::integer(v));
    }

    NodePtr call()
    {
        const int start = m_pos;
        while (!atEnd() && (peek().isLetterOrNumber() || peek() == u'_'))
            ++m_pos;
        const QString name = m_text.mid(start, m_pos - start);
        skipBlanks();
        if (peek() != u'(') {
            m_pos = start;
            fail(QStringLiteral("ismeretlen név: %1 (mezőt és változót szögletes zárójelben kell írni: [%1])")
                     .arg(name));
        }
        ++m_pos;
        std::vector<NodePtr> args;
        skipBlanks();
        if (peek() == u')') {
            ++m_pos;
        } else {
            for (;;) {
                args.push_back(comparison());
                if (accept(u","))
                    continue;
                if (accept(u")"))
                    break;
                fail(QStringLiteral("hiányzó „)” vagy „,”"));
            }
        }
        const QString upper = name.toUpper();
        Function f;
        size_t arity;
        if (upper == u"IF") {
            f = Function::If;
            arity = 3;
        } else if (upper == u"TRIM") {
            f = Function::Trim;
            arity = 1;
        } else {
            m_pos = start;
            fail(QStringLiteral("ismeretlen függvény: %1").arg(name));
        }
        if (args.size() != arity) {
            m_pos = start;
            fail(QStringLiteral("a(z) %1 függvénynek %2 argumentuma van").arg(upper).arg(arity));
        }
        auto n = std::const_pointer_cast<Node>(makeNode(Node::Type::Call, std::move(args)));
        n->function = f;
        return n;
    }

    const QString& m_text;
    int m_pos = 0;
};

// ---------------------------------------------------------------- evaluation

// A text operand of arithmetic counts when it is a number.
Value numeric(const Value& v)
{
    if (v.kind() != Value::Kind::Text)
        return v;
    QString t = v.toText().trimmed();
    bool ok = false;
    const qint64 i = t.toLongLong(&ok);
    if (ok)
        return Value::integer(i);
    t.replace(u',', u'.');
    const double d = t.toDouble(&ok);
    return ok ? Value::number(d) : Value();
}

Value arithmetic(Op op, const Value& a, const Value& b)
{
    if (a.isNull() || b.isNull())
        return {};
    if (a.kind() == Value::Kind::Int && b.kind() == Value::Kind::Int) {
        const qint64 x = a.toInt(), y = b.toInt();
        switch (op) {
        case Op::Add:
            return Value::integer(x + y);
        case Op::Sub:
            return Value::integer(x - y);
        case Op::Mul:
            return Value::integer(x * y);
        default:
            if (y == 0)
                return {};
            if (x % y == 0)
                return Value::integer(x / y);
            return Value::number(static_cast<double>(x) / static_cast<double>(y));
        }
    }
    const double x = a.toDouble(), y = b.toDouble();
    switch (op) {
    case Op::Add:
        return Value::number(x + y);
    case Op::Sub:
        return Value::number(x - y);
    case Op::Mul:
        return Value::number(x * y);
    default:
        return y == 0 ? Value() : Value::number(x / y);
    }
}

Value add(const Value& a, const Value& b)
{
    if (a.kind() == Value::Kind::Text || b.kind() == Value::Kind::Text)
        return Value::text(a.toText() + b.toText());
    if (a.kind() == Value::Kind::Date && b.isNumber())
        return Value::date(a.toDate().addDays(b.toInt()));
    if (b.kind() == Value::Kind::Date && a.isNumber())
        return Value::date(b.toDate().addDays(a.toInt()));
    if (a.kind() == Value::Kind::Date || b.kind() == Value::Kind::Date)
        return {};
    return arithmetic(Op::Add, a, b);
}

Value subtract(const Value& a, const Value& b)
{
    if (a.kind() == Value::Kind::Date && b.kind() == Value::Kind::Date)
        return Value::integer(b.toDate().daysTo(a.toDate()));
    const Value nb = numeric(b);
    if (a.kind() == Value::Kind::Date && nb.isNumber())
        return Value::date(a.toDate().addDays(-nb.toInt()));
    if (a.kind() == Value::Kind::Date || b.kind() == Value::Kind::Date)
        return {};
    return arithmetic(Op::Sub, numeric(a), nb);
}

int compare(const Value& a, const Value& b)
{
    if (a.isNumber() && b.isNumber()) {
        if (a.kind() == Value::Kind::Int && b.kind() == Value::Kind::Int)
            return a.toInt() < b.toInt() ? -1 : (a.toInt() > b.toInt() ? 1 : 0);
        return a.toDouble() < b.toDouble() ? -1 : (a.toDouble() > b.toDouble() ? 1 : 0);
    }
    if (a.kind() == Value::Kind::Date && b.kind() == Value::Kind::Date)
        return a.toDate() < b.toDate() ? -1 : (a.toDate() > b.toDate() ? 1 : 0);
    const int c = a.toText().compare(b.toText());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

Value binaryValue(Op op, const Value& a, const Value& b)
{
    switch (op) {
    case Op::Add:
        return add(a, b);
    case Op::Sub:
        return subtract(a, b);
    case Op::Mul:
    case Op::Div:
        return arithmetic(op, numeric(a), numeric(b));
    case Op::Eq:
        return Value::integer(compare(a, b) == 0);
    case Op::Ne:
        return Value::integer(compare(a, b) != 0);
    case Op::Lt:
        return Value::integer(compare(a, b) < 0);
    case Op::Gt:
        return Value::integer(compare(a, b) > 0);
    case Op::Le:
        return Value::integer(compare(a, b) <= 0);
    case Op::Ge:
        return Value::integer(compare(a, b) >= 0);
    }
    return {};
}

Value eval(const Node& n, Resolver& r)
{
    switch (n.type) {
    case Node::Type::Constant:
        return n.constant;
    case Node::Type::Ref:
        return r.resolve(n.ref);
    case Node::Type::Neg: {
        const Value v = numeric(eval(*n.kids[0], r));
        if (v.kind() == Value::Kind::Int)
            return Value::integer(-v.toInt());
        if (v.kind() == Value::Kind::Float)
            return Value::number(-v.toDouble());
        return {};
    }
    case Node::Type::Binary:
        return binaryValue(n.op, eval(*n.kids[0], r), eval(*n.kids[1], r));
    case Node::Type::Call:
        switch (n.function) {
        case Function::If:
            return eval(*n.kids[0], r).isTrue() ? eval(*n.kids[1], r) : eval(*n.kids[2], r);
        case Function::Trim: {
            const Value v = eval(*n.kids[0], r);
            return v.isNull() ? v : Value::text(v.toText().trimmed());
        }
        }
    }
    return {};
}

NodePtr bindOpen(const NodePtr& n, Resolver& r)
{
    if (!n->needsPage)
        return makeConstant(eval(*n, r));
    if (n->type == Node::Type::Ref)
        return n;
    auto copy = std::make_shared<Node>(*n);
    for (auto& k : copy->kids)
        k = bindOpen(k, r);
    return copy;
}

void collect(const NodePtr& n, QList<Reference>& out)
{
    if (!n)
        return;
    if (n->type == Node::Type::Ref)
        out << n->ref;
    for (const auto& k : n->kids)
        collect(k, out);
}

NodePtr substituteNode(const NodePtr& n, const std::function<const Expression*(const Reference&)>& lookup,
                       const std::function<NodePtr(const Expression&)>& rootOf)
{
    if (n->type == Node::Type::Ref) {
        if (!n->ref.qualifier.isEmpty())
            return n;
        const Expression* e = lookup(n->ref);
        if (!e)
            return n;
        const NodePtr inner = rootOf(*e);
        return inner ? inner : makeConstant(Value());
    }
    if (n->kids.empty())
        return n;
    auto copy = std::make_shared<Node>(*n);
    copy->needsPage = false;
    for (auto& k : copy->kids) {
        k = substituteNode(k, lookup, rootOf);
        copy->needsPage = copy->needsPage || k->needsPage;
    }
    return copy;
}

}  // namespace

Expression Expression::parse(const QString& text)
{
    Expression e;
    e.m_source = text;
    Parser p(text);
    e.m_root = p.parseAll();
    return e;
}

Value Expression::evaluate(Resolver& resolver) const { return m_root ? eval(*m_root, resolver) : Value(); }

bool Expression::needsPage() const { return m_root && m_root->needsPage; }

Expression Expression::bindAllButPage(Resolver& resolver) const
{
    Expression e;
    e.m_source = m_source;
    if (m_root)
        e.m_root = bindOpen(m_root, resolver);
    return e;
}

QList<Reference> Expression::references() const
{
    QList<Reference> out;
    collect(m_root, out);
    return out;
}

Expression Expression::substitute(const std::function<const Expression*(const Reference&)>& lookup) const
{
    Expression e;
    e.m_source = m_source;
    if (m_root)
        e.m_root = substituteNode(m_root, lookup, [](const Expression& x) { return x.m_root; });
    return e;
}

}  // namespace report
