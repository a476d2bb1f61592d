#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "db/client.h"

// Reading an ordered statement by its order key instead of from its first row: its last rows, or the
// rows around one row, come from statements that walk an index from that point with forward-only
// cursors (a server connection has no scrollable ones), so landing on the newest row of a list costs
// the same for a hundred rows as for a million.
//
// A statement qualifies when it is a plain
//   SELECT <columns> FROM <table> [ [INNER] JOIN <table> ON <a.x> = <b.y> ]... [WHERE ...] ORDER BY <columns>
// whose joins each meet at most one row (the joined column is unique), whose order columns are
// plain columns of the result (dates, texts or integers), and whose result holds the driving table's
// single-column primary key. The order is made unique by that key: "ORDER BY bszkelt, bfulszam"
// is read as "ORDER BY bszkelt, bfulszam, IDb", which only settles the order of rows the statement
// left tied. Rows whose order values are missing keep the engine's place for them (first in an
// ascending order, last in a descending one) in both directions.
namespace keyset {

// The pieces of a qualifying statement as written.
struct ColumnRef {
    QString qualifier;  // table or alias before the dot; empty when none
    QString column;
};
struct Join {
    QString table;
    QString alias;
    ColumnRef left, right;  // ON left = right
};
struct OrderItem {
    ColumnRef ref;
    bool descending = false;
};
struct Shape {
    QString selectFrom;  // the statement up to its WHERE or ORDER BY
    QString where;       // its own condition, without the keyword; empty when none
    QString table;       // the driving table
    QString alias;
    std::vector<Join> joins;
    std::vector<OrderItem> order;
};
// Nothing when the statement is not of the plain form above.
std::optional<Shape> parse(const QString& sql);

// What the database says about a table: its single-column primary key (empty when it has none, or
// one of several columns), and whether a column has a unique single-column index.
struct Catalog {
    std::function<QString(const QString& table)> primaryKey;
    std::function<bool(const QString& table, const QString& column)> isUnique;
};

struct Segment {
    QString expr;  // the column as the statements name it
    bool descending = false;
    int column = -1;  // where the result holds its value
};

// How to read a statement by its key.
struct Plan {
    QString selectFrom;
    QString where;
    std::vector<Segment> segments;  // the statement's order, ending with the row key
    int keyColumn = -1;             // the driving table's primary key in the result
    bool keyAdded = false;          // the order was not unique: the row key was added to it
};
// Nothing when the statement cannot be read by its key.
std::optional<Plan> makePlan(const Shape& shape, const fb::Columns& columns, const Catalog& catalog);

// One statement with the values of its own parameters (the statement's parameters stay as bound).
struct Step {
    QString sql;
    std::vector<std::pair<QString, fb::Value>> params;
};
enum class Walk { Forward, Backward };

// Every row, from the first one on (Forward) or from the last one back (Backward).
Step whole(const Plan& plan, Walk walk);
// The rows after the row whose order values are key (Forward), or before it (Backward), nearest
// first: one statement per step, to be read one after another. A missing value is a null Value.
std::vector<Step> beyond(const Plan& plan, const fb::Columns& columns, const std::vector<fb::Value>& key, Walk walk);
// The row whose row key is value (no order: the key finds it).
Step probe(const Plan& plan, const fb::Value& value);

// A value of a row as the engine's message holds it, for binding it again.
fb::Value valueOf(const fb::Columns& columns, const unsigned char* row, int column);
// The order values of a row.
std::vector<fb::Value> keyOf(const Plan& plan, const fb::Columns& columns, const unsigned char* row);

}  // namespace keyset
