#pragma once

#include <QDate>
#include <QWidget>

class QLabel;

// The line under the main window's menu: today's arrivals and departures and the animals on site.
class DayLine : public QWidget {
    Q_OBJECT
public:
    explicit DayLine(QWidget* parent = nullptr);

    void showDay(const QDate& day, qint64 arrivals, qint64 departures);
    void showOnSite(qint64 animals);
    // Nothing to tell (no database): the values are emptied.
    void clear();

private:
    QLabel* m_dayCaption;
    QLabel* m_arrivals;
    QLabel* m_departures;
    QLabel* m_onSite;
};
