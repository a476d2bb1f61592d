#pragma once

#include "core/dataset.h"

#include <QString>
#include <QStringList>

#include <initializer_list>
#include <utility>

// How the stores run their statements on a dataset of their own or one handed in.
namespace statements {

using TextParams = std::initializer_list<std::pair<QString, QString>>;

// Closes the dataset, puts the statement in, binds the text parameters.
void prepare(Dataset& dataset, const QStringList& lines, TextParams params = {});
// ... and opens it; the first row is current.
void open(Dataset& dataset, const QStringList& lines, TextParams params = {});
// ... or executes it; returns the rows it changed.
qint64 execute(Dataset& dataset, const QStringList& lines, TextParams params = {});
// Opens a statement whose first column is a count and returns it; the dataset stays open on it.
// No row reads as 0.
qint64 count(Dataset& dataset, const QStringList& lines, TextParams params = {});

// The LIKE pattern, to be bound as a parameter, for the ear tags that begin with beginning:
// beginning and "%". A beginning that already fills the ear-tag columns (25 characters) can only be
// the whole tag, and a pattern longer than the column is refused by the database, so then it is
// the tag itself.
QString earTagBeginning(const QString& beginning);

}  // namespace statements
