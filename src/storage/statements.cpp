#include "storage/statements.h"

namespace statements {

void prepare(Dataset& dataset, const QStringList& lines, TextParams params)
{
    dataset.close();
    dataset.setSql(lines);
    for (const auto& [name, value] : params)
        dataset.setParamText(name, value);
}

void open(Dataset& dataset, const QStringList& lines, TextParams params)
{
    prepare(dataset, lines, params);
    dataset.open();
}

qint64 execute(Dataset& dataset, const QStringList& lines, TextParams params)
{
    prepare(dataset, lines, params);
    dataset.execSql();
    return dataset.rowsAffected();
}

qint64 count(Dataset& dataset, const QStringList& lines, TextParams params)
{
    open(dataset, lines, params);
    return dataset.recNo() < 0 ? 0 : dataset.fieldInt(dataset.columns().at(0).name);
}

QString earTagBeginning(const QString& beginning)
{
    constexpr int kEarTagLength = 25;  // the ear-tag columns' width
    return beginning.size() >= kEarTagLength ? beginning : beginning + u'%';
}

}  // namespace statements
