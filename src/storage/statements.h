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

}  // namespace statements
