#include "printing/printout_screen.h"

#include "core/convert.h"
#include "storage/shared_datasets.h"
#include "printing/report_feeds.h"
#include "ui/input.h"
#include "ui/platform.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

namespace printout {

namespace {

// What a column must be able to show whole, judged by its field.
QString widestValue(const QString& field)
{
    const QString f = field.toUpper();
    if (f.endsWith(QStringLiteral("FULSZAM")))
        return QString(25, u'0');  // the longest ear tag the tables hold
    if (f.endsWith(QStringLiteral("KELT")))
        return QStringLiteral("0000.00.00");
    if (f.startsWith(QStringLiteral("ID")) || f.endsWith(QStringLiteral("KOD")))
        return QStringLiteral("000000");
    if (f.endsWith(QStringLiteral("NEV")) || f.endsWith(QStringLiteral("CIM")) || f.contains(QStringLiteral("EUBIZ")))
        return QString(22, u'n');
    return QString(12, u'n');
}

}  // namespace

QLabel* makeLabel(QWidget* parent, const QString& objectName, const QString& caption)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(objectName);
    return label;
}

QLineEdit* makeDayField(QWidget* parent, QLabel* label)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QStringLiteral("Edit1"));
    field->setMaxLength(10);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000.00.00")) + 24);
    label->setBuddy(field);
    input::dateCharacters(field);
    input::ignoreEnter(field);
    return field;
}

void startOnToday(QLineEdit* day)
{
    day->setText(convert::dateToText(platform::today()));
    day->setFocus(Qt::OtherFocusReason);
}

std::optional<QDate> dayOrComplain(QWidget* screen, QLineEdit* field)
{
    const auto day = convert::textToDate(field->text());
    if (!day) {
        platform::showMessage(screen, kBadDate);
        field->setFocus(Qt::OtherFocusReason);
    }
    return day;
}

DBGrid* makeGrid(QWidget* parent, DataSource* source, const std::vector<GridColumn>& columns)
{
    DBGrid* grid = makeListGrid(parent, QStringLiteral("DBGrid1"), source, columns);
    const QFontMetrics values = grid->fontMetrics();
    const QFontMetrics titles = grid->horizontalHeader()->fontMetrics();
    constexpr int padding = 16;
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        const GridColumn& c = columns[static_cast<size_t>(i)];
        grid->setColumnWidth(i, std::max(titles.horizontalAdvance(c.title), values.horizontalAdvance(widestValue(c.field))) +
                                    padding);
    }
    return grid;
}

bool attempt(QWidget* screen, const std::function<void()>& work)
{
    try {
        work();
        return true;
    } catch (const std::exception& e) {
        platform::showError(screen, e);
        return false;
    }
}

void reopenOwnCompany()
{
    Data->IBTable10.close();
    Data->IBTable10.open();
}

bool showTemplate(report::Report& report, const QString& fileName, QWidget* parent)
{
    if (!ReportFeeds::loadReport(report, fileName, parent))
        return false;
    report.modalPreview = true;
    return ReportFeeds::showReport(report, parent);
}

}  // namespace printout
