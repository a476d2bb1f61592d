#include "app/dayline.h"

#include "core/convert.h"

#include <QHBoxLayout>
#include <QLabel>

namespace {
QString grouped(qint64 n)
{
    // Thousands apart with a space, as the site writes head counts.
    QString digits = QString::number(n);
    for (qsizetype i = digits.size() - 3; i > 0 && digits.at(i - 1) != u'-'; i -= 3)
        digits.insert(i, u'\u00a0');
    return digits;
}
}  // namespace

DayLine::DayLine(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DayLine"));
    // One line right under the menu; the window's remaining space stays below it.
    auto* column = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    column->addLayout(row);
    column->addStretch(1);
    auto pair = [this, row](const QString& caption, const QString& name, const QString& accessible) {
        auto* label = new QLabel(caption, this);
        label->setObjectName(name + QStringLiteral("Label"));
        auto* value = new QLabel(this);
        value->setObjectName(name);
        value->setAccessibleName(accessible);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        value->setFocusPolicy(Qt::TabFocus);
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
        label->setBuddy(value);
        row->addWidget(label);
        row->addWidget(value);
        row->addSpacing(18);
        return std::pair{label, value};
    };
    m_dayCaption = pair(QStringLiteral("Mai nap:"), QStringLiteral("Today"), QStringLiteral("A mai nap")).second;
    m_arrivals = pair(QStringLiteral("Beérkezett:"), QStringLiteral("TodayArrivals"),
                      QStringLiteral("Mai beérkezés"))
                     .second;
    m_departures = pair(QStringLiteral("Kiszállított:"), QStringLiteral("TodayDepartures"),
                        QStringLiteral("Mai kiszállítás"))
                       .second;
    m_onSite = pair(QStringLiteral("Telepen lévő állatok:"), QStringLiteral("AnimalsOnSite"),
                    QStringLiteral("Telepen lévő állatok"))
                   .second;
    row->addStretch(1);
}

void DayLine::showDay(const QDate& day, qint64 arrivals, qint64 departures)
{
    m_dayCaption->setText(convert::dateToText(day));
    m_arrivals->setText(grouped(arrivals));
    m_departures->setText(grouped(departures));
}

void DayLine::showOnSite(qint64 animals) { m_onSite->setText(grouped(animals)); }

void DayLine::clear()
{
    for (QLabel* l : {m_dayCaption, m_arrivals, m_departures, m_onSite})
        l->clear();
}
