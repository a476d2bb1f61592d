#pragma once

#include <QDialog>

class DBGrid;
class DBNavigator;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// "Telepen": the animals on site (arrived and not left) on paper, either simple, with the days
// each has spent here up to a dispatch day, or detailed, with its carrier and sender. Only reads.
class OnSiteListPrintoutDialog : public QDialog {
    Q_OBJECT
public:
    enum class Form { Simple, Detailed };
    enum class Order { ByEarTag, ByDaysOnSite };

    explicit OnSiteListPrintoutDialog(QWidget* parent = nullptr);

    Form form() const;
    Order order() const;
    // "Nyomtat": the chosen list in the chosen order.
    void printList();

private:
    QLabel* m_title;
    DBGrid* m_animals;
    DBNavigator* m_navigator;
    QGroupBox* m_formBox;
    QRadioButton* m_simple;
    QRadioButton* m_detailed;
    QGroupBox* m_orderBox;
    QLabel* m_dayLabel;
    QLineEdit* m_day;
    QRadioButton* m_byEarTag;
    QRadioButton* m_byDaysOnSite;
    QPushButton* m_printButton;
    QPushButton* m_cancelButton;
};
